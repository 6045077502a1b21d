#include "providers/wlroots/wayland_connection.hpp"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <span>
#include <unordered_map>
#include <utility>

#include <wayland-client.h>

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace zerlith::wlroots {
namespace {

using Kind = platform::DesktopChange::Kind;

/// A compositor answers a round trip in milliseconds; one that does not within this is hung.
constexpr auto kRoundTripDeadline = std::chrono::seconds(3);
/// The versions of the globals this client speaks.
constexpr std::uint32_t kManagerVersion = 3;
constexpr std::uint32_t kOutputVersion = 4;
constexpr std::uint32_t kXdgOutputManagerVersion = 3;

}  // namespace

struct WaylandConnection::Objects {
    struct Output {
        Objects* objects = nullptr;
        wl_output* proxy = nullptr;
        std::uint32_t version = 0;
        /// Where the output sits in the layout: the core protocol's own position is often 0, 0.
        zxdg_output_v1* xdgOutput = nullptr;
        std::optional<Rect> logical;
        WaylandOutput pending;
        std::optional<WaylandOutput> shown;  ///< as of its last done
        int scale = 1;
        bool quarterTurned = false;  ///< rotated by 90° or 270°: the mode's width is its height
        std::int32_t modeWidth = 0;
        std::int32_t modeHeight = 0;
    };
    struct Handle {
        Objects* objects = nullptr;
        zwlr_foreign_toplevel_handle_v1* proxy = nullptr;
        std::uint32_t id = 0;
    };

    ~Objects() {
        for (auto& [id, handle] : handles) zwlr_foreign_toplevel_handle_v1_destroy(handle->proxy);
        for (auto& output : outputs) releaseOutput(*output);
        if (xdgOutputManager != nullptr) zxdg_output_manager_v1_destroy(xdgOutputManager);
        if (manager != nullptr) zwlr_foreign_toplevel_manager_v1_destroy(manager);
        if (seat != nullptr) wl_seat_destroy(seat);
        if (registry != nullptr) wl_registry_destroy(registry);
        if (display != nullptr) wl_display_disconnect(display);
    }

    static void releaseOutput(Output& output) {
        if (output.xdgOutput != nullptr) zxdg_output_v1_destroy(output.xdgOutput);
        if (output.version >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
            wl_output_release(output.proxy);
        } else {
            wl_output_destroy(output.proxy);
        }
    }

    /// Sends a sync and reads events until it comes back; false when the compositor fails or
    /// does not answer in time.
    bool roundTrip() {
        bool answered = false;
        wl_callback* callback = wl_display_sync(display);
        static const wl_callback_listener listener{
            .done = [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
        wl_callback_add_listener(callback, &listener, &answered);
        const auto deadline = std::chrono::steady_clock::now() + kRoundTripDeadline;
        while (!answered) {
            if (wl_display_dispatch_pending(display) < 0) break;
            if (answered) break;
            wl_display_flush(display);
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd readable{wl_display_get_fd(display), POLLIN, 0};
            if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) <= 0) break;
            if (wl_display_dispatch(display) < 0) break;
        }
        if (!answered) wl_callback_destroy(callback);
        return answered;
    }

    Output* outputOf(wl_output* proxy) {
        for (auto& output : outputs) {
            if (output->proxy == proxy) return output.get();
        }
        return nullptr;
    }

    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    zwlr_foreign_toplevel_manager_v1* manager = nullptr;
    zxdg_output_manager_v1* xdgOutputManager = nullptr;
    wl_seat* seat = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;  // listeners hold their addresses
    std::unordered_map<std::uint32_t, std::unique_ptr<Handle>> handles;
    ToplevelList list;
    bool outputsChanged = false;
};

namespace {

using Objects = WaylandConnection::Objects;

const zwlr_foreign_toplevel_handle_v1_listener kHandleListener{
    .title = [](void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
        auto* handle = static_cast<Objects::Handle*>(data);
        handle->objects->list.title(handle->id, title);
    },
    .app_id = [](void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId) {
        auto* handle = static_cast<Objects::Handle*>(data);
        handle->objects->list.appId(handle->id, appId);
    },
    .output_enter = [](void* data, zwlr_foreign_toplevel_handle_v1*, wl_output* proxy) {
        auto* handle = static_cast<Objects::Handle*>(data);
        if (auto* output = handle->objects->outputOf(proxy)) handle->objects->list.outputEnter(handle->id, output->pending.id);
    },
    .output_leave = [](void* data, zwlr_foreign_toplevel_handle_v1*, wl_output* proxy) {
        auto* handle = static_cast<Objects::Handle*>(data);
        if (auto* output = handle->objects->outputOf(proxy)) handle->objects->list.outputLeave(handle->id, output->pending.id);
    },
    .state = [](void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
        auto* handle = static_cast<Objects::Handle*>(data);
        std::vector<std::uint32_t> values(states->size / sizeof(std::uint32_t));
        std::memcpy(values.data(), states->data, values.size() * sizeof(std::uint32_t));
        handle->objects->list.state(handle->id, values);
    },
    .done = [](void* data, zwlr_foreign_toplevel_handle_v1*) {
        auto* handle = static_cast<Objects::Handle*>(data);
        handle->objects->list.done(handle->id);
    },
    .closed = [](void* data, zwlr_foreign_toplevel_handle_v1*) {
        auto* handle = static_cast<Objects::Handle*>(data);
        Objects* objects = handle->objects;
        objects->list.closed(handle->id);
        zwlr_foreign_toplevel_handle_v1_destroy(handle->proxy);
        objects->handles.erase(handle->id);
    },
    .parent = [](void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {},
};

const zwlr_foreign_toplevel_manager_v1_listener kManagerListener{
    .toplevel = [](void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* proxy) {
        auto* objects = static_cast<Objects*>(data);
        const std::uint32_t id = objects->list.created();
        auto handle = std::make_unique<Objects::Handle>(Objects::Handle{objects, proxy, id});
        zwlr_foreign_toplevel_handle_v1_add_listener(proxy, &kHandleListener, handle.get());
        objects->handles.emplace(id, std::move(handle));
    },
    .finished = [](void* data, zwlr_foreign_toplevel_manager_v1* manager) {
        auto* objects = static_cast<Objects*>(data);
        zwlr_foreign_toplevel_manager_v1_destroy(manager);
        objects->manager = nullptr;
    },
};

/// An output's state once its update is complete: the layout's logical frame where xdg-output
/// gives it, else the core protocol's position with the mode scaled down.
void publish(Objects::Output& output) {
    if (output.logical) {
        output.pending.frame = *output.logical;
    } else {
        const double scale = std::max(output.scale, 1);
        const auto [width, height] = output.quarterTurned ? std::pair(output.modeHeight, output.modeWidth)
                                                          : std::pair(output.modeWidth, output.modeHeight);
        output.pending.frame.width = width / scale;
        output.pending.frame.height = height / scale;
    }
    output.shown = output.pending;
    output.objects->outputsChanged = true;
}

const zxdg_output_v1_listener kXdgOutputListener{
    .logical_position = [](void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
        auto& logical = static_cast<Objects::Output*>(data)->logical;
        if (!logical) logical = Rect{};
        logical->x = x;
        logical->y = y;
    },
    .logical_size = [](void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
        auto& logical = static_cast<Objects::Output*>(data)->logical;
        if (!logical) logical = Rect{};
        logical->width = width;
        logical->height = height;
    },
    // From version 3 the core protocol's done completes an update; before it, this one does.
    .done = [](void* data, zxdg_output_v1* xdgOutput) {
        if (zxdg_output_v1_get_version(xdgOutput) < 3) publish(*static_cast<Objects::Output*>(data));
    },
    .name = [](void* data, zxdg_output_v1*, const char* name) {
        auto& pending = static_cast<Objects::Output*>(data)->pending;
        if (pending.name.empty()) pending.name = name;
    },
    .description = [](void*, zxdg_output_v1*, const char*) {},
};

void describeInLayout(Objects& objects, Objects::Output& output) {
    if (objects.xdgOutputManager == nullptr || output.xdgOutput != nullptr) return;
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(objects.xdgOutputManager, output.proxy);
    zxdg_output_v1_add_listener(output.xdgOutput, &kXdgOutputListener, &output);
}

const wl_output_listener kOutputListener{
    .geometry = [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t, std::int32_t,
                   const char*, const char*, std::int32_t transform) {
        auto* output = static_cast<Objects::Output*>(data);
        output->pending.frame.x = x;
        output->pending.frame.y = y;
        output->quarterTurned = transform % 2 == 1;  // 90°, 270° and their flipped kinds
    },
    .mode = [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
        auto* output = static_cast<Objects::Output*>(data);
        if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
        output->modeWidth = width;
        output->modeHeight = height;
    },
    .done = [](void* data, wl_output*) { publish(*static_cast<Objects::Output*>(data)); },
    .scale = [](void* data, wl_output*, std::int32_t factor) { static_cast<Objects::Output*>(data)->scale = factor; },
    .name = [](void* data, wl_output*, const char* name) { static_cast<Objects::Output*>(data)->pending.name = name; },
    .description = [](void*, wl_output*, const char*) {},
};

const wl_registry_listener kRegistryListener{
    .global = [](void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
        auto* objects = static_cast<Objects*>(data);
        if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0 && objects->manager == nullptr) {
            objects->manager = static_cast<zwlr_foreign_toplevel_manager_v1*>(wl_registry_bind(
                registry, name, &zwlr_foreign_toplevel_manager_v1_interface, std::min(version, kManagerVersion)));
            zwlr_foreign_toplevel_manager_v1_add_listener(objects->manager, &kManagerListener, objects);
        } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && objects->xdgOutputManager == nullptr) {
            objects->xdgOutputManager = static_cast<zxdg_output_manager_v1*>(wl_registry_bind(
                registry, name, &zxdg_output_manager_v1_interface, std::min(version, kXdgOutputManagerVersion)));
            for (auto& output : objects->outputs) describeInLayout(*objects, *output);
        } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && objects->seat == nullptr) {
            objects->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        } else if (std::strcmp(interface, wl_output_interface.name) == 0 && version >= WL_OUTPUT_DONE_SINCE_VERSION) {
            auto output = std::make_unique<Objects::Output>();
            output->objects = objects;
            output->version = std::min(version, kOutputVersion);
            output->pending.id = name;
            output->proxy = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, output->version));
            wl_output_add_listener(output->proxy, &kOutputListener, output.get());
            describeInLayout(*objects, *output);
            objects->outputs.push_back(std::move(output));
        }
    },
    .global_remove = [](void* data, wl_registry*, std::uint32_t name) {
        auto* objects = static_cast<Objects*>(data);
        auto& outputs = objects->outputs;
        const auto gone = std::find_if(outputs.begin(), outputs.end(), [&](const auto& output) { return output->pending.id == name; });
        if (gone == outputs.end()) return;
        Objects::releaseOutput(**gone);
        outputs.erase(gone);
        objects->list.outputRemoved(name);
        objects->outputsChanged = true;
    },
};

}  // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::open(const std::string& name, std::string* error) {
    auto objects = std::make_unique<Objects>();
    objects->display = wl_display_connect(name.c_str());
    if (objects->display == nullptr) {
        if (error) *error = std::string("cannot connect to the Wayland display ") + name;
        return nullptr;
    }
    objects->registry = wl_display_get_registry(objects->display);
    wl_registry_add_listener(objects->registry, &kRegistryListener, objects.get());
    // The globals, then the toplevels and outputs they announce, then those toplevels' details.
    if (!objects->roundTrip() || !objects->roundTrip() || !objects->roundTrip()) {
        if (error) *error = std::string("the Wayland display ") + name + " does not answer";
        return nullptr;
    }
    if (objects->manager == nullptr) {
        if (error) *error = std::string("the Wayland display ") + name + " does not list other applications' windows";
        return nullptr;
    }
    objects->list.takeChanges();
    return std::unique_ptr<WaylandConnection>(new WaylandConnection(std::move(objects)));
}

WaylandConnection::WaylandConnection(std::unique_ptr<Objects> objects)
    : objects_(std::move(objects)),
      changesReady_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      reader_([this] { readEvents(); }) {}

WaylandConnection::~WaylandConnection() {
    stopping_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof(one));
    reader_.join();
    objects_.reset();
    ::close(wake_);
    ::close(changesReady_);
}

void WaylandConnection::readEvents() {
    wl_display* display = objects_->display;
    while (!stopping_) {
        {
            std::lock_guard lock(mutex_);
            while (wl_display_prepare_read(display) != 0) wl_display_dispatch_pending(display);
            announceChanges();
        }
        wl_display_flush(display);
        pollfd watched[2] = {{wl_display_get_fd(display), POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0 && errno != EINTR) {
            wl_display_cancel_read(display);
            break;
        }
        if ((watched[0].revents & POLLIN) == 0) {
            wl_display_cancel_read(display);
            if ((watched[0].revents & (POLLERR | POLLHUP)) != 0) break;
            continue;
        }
        if (wl_display_read_events(display) < 0) break;
        std::lock_guard lock(mutex_);
        if (wl_display_dispatch_pending(display) < 0) break;
        announceChanges();
    }
    if (stopping_) return;
    // The compositor went away: nothing of its desktop can be reached any more.
    std::lock_guard lock(mutex_);
    objects_->list = ToplevelList();
    objects_->outputs.clear();
    changes_.push_back({Kind::windowList, 0});
    changes_.push_back({Kind::screens, 0});
    ++generation_;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(changesReady_, &one, sizeof(one));
}

void WaylandConnection::announceChanges() {
    auto changes = objects_->list.takeChanges();
    if (std::exchange(objects_->outputsChanged, false)) changes.push_back({Kind::screens, 0});
    if (changes.empty()) return;
    changes_.insert(changes_.end(), changes.begin(), changes.end());
    ++generation_;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(changesReady_, &one, sizeof(one));
}

std::vector<platform::DesktopChange> WaylandConnection::takeChanges() {
    std::lock_guard lock(mutex_);
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(changesReady_, &count, sizeof(count));
    return std::exchange(changes_, {});
}

std::vector<Toplevel> WaylandConnection::toplevels() {
    std::lock_guard lock(mutex_);
    return objects_->list.list();
}

std::vector<WaylandOutput> WaylandConnection::outputs() {
    std::lock_guard lock(mutex_);
    std::vector<WaylandOutput> outputs;
    for (const auto& output : objects_->outputs) {
        if (output->shown) outputs.push_back(*output->shown);
    }
    return outputs;
}

bool WaylandConnection::activate(std::uint32_t id) {
    std::lock_guard lock(mutex_);
    const auto handle = objects_->handles.find(id);
    const auto toplevel = objects_->list.find(id);
    if (handle == objects_->handles.end() || !toplevel || objects_->seat == nullptr) return false;
    if (toplevel->minimized) zwlr_foreign_toplevel_handle_v1_unset_minimized(handle->second->proxy);
    zwlr_foreign_toplevel_handle_v1_activate(handle->second->proxy, objects_->seat);
    return wl_display_flush(objects_->display) >= 0;
}

}  // namespace zerlith::wlroots
