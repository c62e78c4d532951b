// Helpers of the desktop front end's tests: answering modal dialogs and
// popups as they open, finding controls by id, start-up options, and the
// browse volume of the core's tests on the image bus.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "ui/startup_options.h"

namespace tarvo::testing {

// Runs `act` once on the modal dialog named `name` (its template name), as
// soon as one is on the screen: arm it before the call that opens it.
void WhenDialogOpens(const QString& name, std::function<void(QWidget* dialog)> act);
// Likewise for the next popup menu.
void WhenPopupOpens(std::function<void(QWidget* popup)> act);

// The child whose object name is that id.
template <typename T = QWidget>
T* ById(QObject* parent, int id) {
  return parent->findChild<T*>(QString::number(id));
}
// Clicks the button with that id.
void ClickId(QWidget* dialog, int id);

StartupOptions Options(const std::vector<std::string>& args);

// The hfsutils volume of the core's browse tests (folders Sub, Many with 40
// files, Café; file Top.txt), built once per test program; "" on failure.
const std::string& BrowseImage();

}  // namespace tarvo::testing
