#include <cstdlib>

#include "app/application.hpp"

// zerlith-app: the switcher itself, started by `zerlith` when no instance runs yet. The command-line
// modes and the requests to a running instance never load the Qt this one needs.
int main(int argc, char** argv) {
    return zerlith::app::runApplication(argc, argv, {std::getenv("ZERLITH_DESKTOP"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), {}});
}
