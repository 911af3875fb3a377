// What the preferences dialog keeps of its pages: how each control shows its
// setting and takes it back, which controls are on only while another says
// so, and the changes OK refuses. The pages fill it as they make their rows;
// the dialog runs it on a working copy of the Settings record.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

class wxWindow;

namespace pixmera::ui::preferences {

// A change a conversion would refuse: the control to show it in, the
// message of group "Msg" and what its %s1% names.
struct Refusal {
  std::string control;
  std::string_view message;
  std::string detail;
};

class Sheet {
 public:
  using Show = std::function<void(const Settings&)>;
  using Take = std::function<void(Settings&)>;
  // Looks at what OK would store against what the dialog started with.
  using Check =
      std::function<std::optional<Refusal>(const Settings& edited, const Settings& original)>;

  // One control and the setting(s) it shows: `show` fills it from the
  // working copy, `take` writes it back. Both run in the order the controls
  // were made.
  void bind(Show show, Take take) { bindings_.push_back({std::move(show), std::move(take)}); }
  // Runs before any binding shows a value: what the values shown depend on,
  // such as a range that follows a unit.
  void prepare(Show show) { prepared_.push_back(std::move(show)); }
  // Runs on every tick or choice and once the values are shown.
  void on_update(std::function<void()> update) { updates_.push_back(std::move(update)); }
  // `windows` are on only while `condition` holds.
  void enable_when(std::function<bool()> condition, std::vector<wxWindow*> windows);
  // Runs once the values are shown, after the updates.
  void after_show(std::function<void()> update) { after_show_.push_back(std::move(update)); }
  // OK asks the checks in the order they were given; the first refusal wins.
  void refuse(Check check) { checks_.push_back(std::move(check)); }

  void show(const Settings& settings) const;
  void take(Settings& settings) const;
  void update() const;
  std::optional<Refusal> first_refusal(const Settings& edited, const Settings& original) const;

 private:
  struct Binding {
    Show show;
    Take take;
  };

  std::vector<Show> prepared_;
  std::vector<Binding> bindings_;
  std::vector<std::function<void()>> updates_;
  std::vector<std::function<void()>> after_show_;
  std::vector<Check> checks_;
};

}  // namespace pixmera::ui::preferences
