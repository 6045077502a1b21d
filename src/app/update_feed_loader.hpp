#pragma once

#include <memory>
#include <optional>

#include "platform/dispatch.hpp"
#include "settings/update_feed.hpp"

namespace zerlith::app {

/// The update feed reader from its module, opened at the first fetch: a switcher whose feed is
/// never asked never loads Qt Network. When the module cannot be opened, every fetch answers
/// with the reason. Main thread.
class ModuleUpdateFeed final : public UpdateFeed {
public:
    /// `dispatch` outlives the feed.
    explicit ModuleUpdateFeed(platform::Dispatch& dispatch) : dispatch_(dispatch) {}

    void fetch(const std::string& url, std::function<void(Result)> done) override;

private:
    platform::Dispatch& dispatch_;
    std::unique_ptr<UpdateFeed> reader_;
    /// Why the module could not be opened; it is not tried again.
    std::optional<std::string> unavailable_;
};

/// The module's file name.
inline constexpr const char* kUpdateModuleName = "zerlith-updates.so";

}  // namespace zerlith::app
