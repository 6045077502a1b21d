#include "providers/xdg/xdg_desktop.hpp"

#include "browser/host_bridge.hpp"
#include "system/runtime_folder.hpp"

namespace zerlith::xdg {

void XdgDesktop::reachBrowsers() {
    std::string noFolder;
    if (const auto folder = runtimeFolder(&noFolder)) browserBridge_ = std::make_unique<browser::HostBridge>(*folder, clock_);
}

}  // namespace zerlith::xdg
