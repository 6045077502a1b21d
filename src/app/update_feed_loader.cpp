#include "app/update_feed_loader.hpp"

#include "app/module_loader.hpp"
#include "qt/update_module.hpp"

namespace zerlith::app {

void ModuleUpdateFeed::fetch(const std::string& url, std::function<void(Result)> done) {
    if (!reader_ && !unavailable_) {
        const auto found = openModuleFunction(moduleBeside(kUpdateModuleName), qt::kMakeUpdateFeedSymbol);
        if (const auto* error = std::get_if<std::string>(&found))
            unavailable_ = "the network module cannot be opened (" + *error + ")";
        else
            reader_.reset(reinterpret_cast<qt::MakeUpdateFeed*>(std::get<void*>(found))(dispatch_));
    }
    if (reader_) {
        reader_->fetch(url, std::move(done));
        return;
    }
    dispatch_.postMain([done = std::move(done), reason = *unavailable_] { done(reason); });
}

}  // namespace zerlith::app
