#include "desktop/provider_registry.hpp"

namespace zerlith::desktop {

std::variant<std::vector<const Provider*>, std::string> providersFor(const Session& session,
                                                                     std::span<const Provider> providers) {
    if (!session.provider.empty()) {
        std::string known;
        for (const Provider& provider : providers) {
            if (provider.name == session.provider) return std::vector{&provider};
            known += (known.empty() ? "" : ", ") + std::string(provider.name);
        }
        return "unknown provider \"" + session.provider + "\" in ZERLITH_PROVIDER; known: " +
               (known.empty() ? "none" : known);
    }
    std::vector<const Provider*> chosen;
    for (const Provider& provider : providers) {
        if (provider.detect(session)) chosen.push_back(&provider);
    }
    return chosen;
}

}  // namespace zerlith::desktop
