#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "desktop/session.hpp"
#include "platform/platform.hpp"

namespace zerlith::desktop {

/// A live desktop, or the one-line reason it cannot be reached.
using Connection = std::variant<std::unique_ptr<platform::Platform>, std::string>;

/// One kind of live desktop this build can run on. Each provider's folder defines its entry
/// (zerlith::registered_providers::<name>()); the build lists them (zerlith_add_provider).
struct Provider {
    /// The name ZERLITH_PROVIDER takes: the one the dump reports as the provider's.
    std::string_view name;
    /// Whether the session is of this provider's kind, from the session alone: no round trip,
    /// since every start asks every provider.
    bool (*detect)(const Session& session);
    /// The desktop of the session, on the clock and queues of the run, which outlive it.
    Connection (*connect)(const Session& session, platform::Clock& clock, platform::Dispatch& dispatch);
};

/// The providers this build has, in the order they are detected. Defined by a source the build
/// generates.
std::span<const Provider> registeredProviders();

/// The providers to connect for `session`, in order, out of `providers`: the one ZERLITH_PROVIDER
/// names, else each one whose detect() says yes (none: no desktop this build knows). A name none
/// of them has is a usage error: the result is then its one-line message, naming the known ones.
std::variant<std::vector<const Provider*>, std::string> providersFor(const Session& session,
                                                                     std::span<const Provider> providers);

}  // namespace zerlith::desktop
