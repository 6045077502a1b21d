#include "palette/palette_controller.hpp"

#include "activation/activator.hpp"
#include "cache/snapshot_store.hpp"
#include "desktop/screens.hpp"
#include "platform/latency_trace.hpp"
#include "platform/platform.hpp"
#include "ranking/scorer.hpp"
#include "ranking/usage_store.hpp"
#include "system/permissions.hpp"

namespace zerlith {
namespace {

/// How far below the top of the screen's usable area the palette's top edge sits.
constexpr double kTopOffsetShare = 0.18;

}  // namespace

PaletteController::PaletteController(SnapshotStore& snapshots, UsageStore& usage, ActivationLog& activationLog,
                                     WindowFactory makeWindow)
    : snapshots_(snapshots),
      usage_(usage),
      activationLog_(activationLog),
      makeWindow_(std::move(makeWindow)) {}

PaletteController::~PaletteController() = default;

void PaletteController::show() {
    if (!Permissions::grantedOrAsk(desktop::Grant::controlWindows)) return;
    // Taken before the palette takes the keyboard, so it names where the user comes from.
    contextKey_ = usage_.currentContextKey();
    platform::latency::mark("context read");
    model_.setAll(Scorer::rank(snapshots_.current(), contextKey_, Screens::activeName(), usage_));
    model_.setQuery("");
    platform::latency::mark("ranked");

    if (!window_) window_ = makeWindow_(*this);
    position();
    window_->showAndFocus();
    platform::latency::mark("palette shown");

    snapshots_.refreshDirty([weak = self_.weak()](std::vector<Target> targets) {
        auto* controller = weak.get();
        // Closed meanwhile: the next opening ranks afresh.
        if (!controller || !controller->isVisible()) return;
        controller->model_.update(Scorer::rank(std::move(targets), controller->contextKey_, Screens::activeName(), controller->usage_));
    });
}

void PaletteController::hide() {
    if (window_) window_->hide();
    model_.setQuery("");
}

bool PaletteController::isVisible() const { return window_ && window_->isVisible(); }

void PaletteController::toggle() {
    if (isVisible()) {
        hide();
    } else {
        show();
    }
}

bool PaletteController::handleKey(const PaletteKeyPress& press) {
    if (!isVisible()) return false;
    switch (press.key) {
        case PaletteKey::returnKey:
        case PaletteKey::keypadEnter:
            confirmSelection(press.command ? paletteScreen_ : std::nullopt);
            return true;
        case PaletteKey::tab:
            model_.moveSelection(press.shift ? -1 : 1);
            return true;
        case PaletteKey::escape:
            hide();
            return true;
        case PaletteKey::left:
            activateSelection(Screens::Direction::left);
            return true;
        case PaletteKey::right:
            activateSelection(Screens::Direction::right);
            return true;
        case PaletteKey::down:
            model_.moveSelection(1);
            return true;
        case PaletteKey::up:
            model_.moveSelection(-1);
            return true;
        case PaletteKey::other:
            return false;
    }
    return false;
}

void PaletteController::activateClicked(const Target& target) { confirm(target, std::nullopt); }

void PaletteController::position() {
    const auto screen = Screens::active();
    if (!screen) return;  // stays where it was, with the neighbours it had
    paletteScreen_ = screen;
    auto nameOf = [](const std::optional<Screen>& beside) {
        return beside ? std::optional(beside->name) : std::nullopt;
    };
    model_.setNeighbors({nameOf(neighbor(Screens::Direction::left)), nameOf(neighbor(Screens::Direction::right))});
    const Rect& visible = screen->visibleFrame;
    window_->setFrame({visible.midX() - kWidth / 2, visible.maxY() - kHeight - kTopOffsetShare * visible.absHeight(),
                       kWidth, kHeight});
}

void PaletteController::confirm(const Target& target, const std::optional<Screen>& destination) {
    const Target chosen = target;  // hiding resets the results the target may live in
    hide();
    usage_.record(chosen.id, contextKey_);
    Activator::activate(activationLog_, chosen, destination);
}

void PaletteController::confirmSelection(const std::optional<Screen>& destination) {
    if (const auto* selected = model_.selected()) confirm(*selected, destination);
}

void PaletteController::activateSelection(Screens::Direction direction) {
    const auto destination = neighbor(direction);
    if (destination && model_.selected()) confirm(*model_.selected(), destination);
}

std::optional<Screen> PaletteController::neighbor(Screens::Direction direction) const {
    if (!paletteScreen_ || !platform::current().provider().capabilities.moveToScreen) return std::nullopt;
    return Screens::neighbor(*paletteScreen_, direction);
}

}  // namespace zerlith
