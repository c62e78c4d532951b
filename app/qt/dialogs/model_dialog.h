// A dialog drawn over one of the core's dialog models: every user action
// goes to the model, the view is redrawn from the model (Sync), and the
// dialog ends with the model's result once the model has closed. Esc is the
// model's Cancel; the close box is its Close where the model has one, its
// Cancel otherwise.
#pragma once

#include <QCloseEvent>
#include <optional>
#include <string>

#include "dialogs/tarvo_dialog.h"

namespace tarvo {

inline int ResultCode(int result) { return result; }
inline int ResultCode(const std::optional<std::string>& result) { return result ? 1 : 0; }
// A model without a result (one that only ends) gives 0.
template <typename Model>
int ResultOf(const Model& model) {
  if constexpr (requires { model.result(); }) return ResultCode(model.result());
  else return 0;
}

template <typename Model>
class ModelDialog : public TarvoDialog {
 public:
  void reject() override {
    if (!model_.closed()) Apply([this] { model_.Cancel(); });
    else done(ResultOf(model_));
  }

 protected:
  ModelDialog(Model& model, const QString& templateName, const QString& title, QWidget* parent)
      : TarvoDialog(templateName, title, parent), model_(model) {}

  // OK and Cancel pressing the model's; `take` first hands it the fields.
  std::pair<QPushButton*, QPushButton*> MakeModelOkCancel(std::function<void()> take = {}) {
    return MakeOkCancel(
        [this, take] {
          Apply([&] {
            if (take) take();
            model_.Ok();
          });
        },
        [this] { Apply([&] { model_.Cancel(); }); });
  }

  // Redraws the controls from the model.
  virtual void Sync() = 0;

  template <typename Action>
  void Apply(Action&& action) {
    Guard([&] {
      action();
      Sync();
      if (model_.closed()) done(ResultOf(model_));
    });
  }

  void closeEvent(QCloseEvent* event) override {
    if (!model_.closed()) {
      Apply([this] {
        if constexpr (requires { model_.Close(); }) model_.Close();
        else model_.Cancel();
      });
    }
    event->accept();
  }

  Model& model_;
};

}  // namespace tarvo
