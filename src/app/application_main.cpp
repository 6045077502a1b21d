#include <malloc.h>

#include "app/application.hpp"

// zerlith-app: the switcher itself, started by `zerlith` when no instance runs yet. The command-line
// modes and the requests to a running instance never load the Qt this one needs.
int main(int argc, char** argv) {
    // One heap for every thread: the workers' short bursts would otherwise each keep an arena of
    // freed memory resident for the life of the switcher (about 2 MiB at 1,000 windows).
    mallopt(M_ARENA_MAX, 1);
    return zerlith::app::runApplication(argc, argv, {zerlith::desktop::Session::fromEnvironment(), {}});
}
