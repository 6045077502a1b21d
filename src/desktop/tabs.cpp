#include "desktop/tabs.hpp"

namespace zerlith::desktop {

std::string_view rawValue(TabConsent consent) {
    switch (consent) {
        case TabConsent::allowed: return "allowed";
        case TabConsent::denied: return "denied";
        case TabConsent::notDetermined: return "notDetermined";
    }
    return "denied";
}

}  // namespace zerlith::desktop
