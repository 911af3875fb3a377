#include "ui/preferences/sheet.h"

#include <wx/window.h>

namespace pixmera::ui::preferences {

void Sheet::enable_when(std::function<bool()> condition, std::vector<wxWindow*> windows) {
  on_update([condition = std::move(condition), windows = std::move(windows)] {
    const bool on = condition();
    for (wxWindow* window : windows) {
      if (window != nullptr) window->Enable(on);
    }
  });
}

void Sheet::show(const Settings& settings) const {
  for (const Show& show : prepared_) show(settings);
  for (const Binding& binding : bindings_) binding.show(settings);
  update();
  for (const auto& run : after_show_) run();
}

void Sheet::take(Settings& settings) const {
  for (const Binding& binding : bindings_) binding.take(settings);
}

void Sheet::update() const {
  for (const auto& run : updates_) run();
}

std::optional<Refusal> Sheet::first_refusal(const Settings& edited,
                                            const Settings& original) const {
  for (const Check& check : checks_) {
    if (std::optional<Refusal> refusal = check(edited, original)) return refusal;
  }
  return std::nullopt;
}

}  // namespace pixmera::ui::preferences
