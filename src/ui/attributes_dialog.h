// DLG_ATTR, "File Attributes", and DLG_ATT2, "For spelunking fans...": the
// models of the dialogs that show and edit a file's name, creator, type and
// dates, and show its number and extents. A front end draws the fields and
// calls the action methods until `closed()`; "Advanced" asks it to show
// DLG_ATT2 (`extents()`) over the dialog.
//
// The dialog works on a copy of the file's record data; the caller writes
// the outcome back (file_attributes.h). "Write" passes the write guard
// first (Cancel there gives 0); fields left as shown keep their stored
// bytes, and a bad date or an empty name keeps the dialog open with a
// beep. The result is 2, or 3 when the name changed (`newName()`, Macintosh
// characters); "Quit", Esc and the close box give 0. A dialog opened
// read-only (from the dump view) has "Write" disabled.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/big_endian.h"
#include "hfs/catalog_record.h"

namespace tarvo {

struct Context;

// DLG_ATT2's fields.
struct ExtentsInfo {
  std::string name;
  std::string fileNumber;
  std::string dataExtents;      // "start/length, start/length, start/length", in sectors
  std::string resourceExtents;
};

// A date as its five fields show it.
using DateTexts = std::array<std::string, 5>;  // day, month, year, hour, minute

class AttributesDialog {
 public:
  // macName: the catalog name; record: the file record's data.
  AttributesDialog(Context& ctx, std::string_view macName, ConstBytes record, std::function<bool()> writeProtected,
                   bool readOnly = false);

  void SetName(std::string text) { name_ = std::move(text); }
  void SetCreator(std::string text) { creator_ = std::move(text); }
  void SetType(std::string text) { type_ = std::move(text); }
  void SetCreated(DateTexts fields) { created_ = std::move(fields); }
  void SetModified(DateTexts fields) { modified_ = std::move(fields); }
  void Advanced() { showExtents_ = true; }
  void ExtentsClosed() { showExtents_ = false; }
  void Write();
  void Quit() { Finish(0); }
  void Cancel() { Finish(0); }  // Esc or the close box
  // A typed answer (console and scripted double): "name TEXT", "creator
  // TEXT", "type TEXT" (TEXT may be in double quotes), "created D M Y H MIN",
  // "modified D M Y H MIN", "advanced", "write", "quit" or "cancel"; an
  // empty answer is Quit.
  void ApplyAnswer(std::string_view text);

  bool closed() const { return closed_; }
  int result() const { return result_; }
  bool readOnly() const { return readOnly_; }
  bool showExtents() const { return showExtents_; }
  const ExtentsInfo& extents() const { return extents_; }
  const std::string& name() const { return name_; }
  const std::string& creator() const { return creator_; }
  const std::string& type() const { return type_; }
  const DateTexts& created() const { return created_; }
  const DateTexts& modified() const { return modified_; }
  const std::string& dataLength() const { return dataLength_; }
  const std::string& resourceLength() const { return resourceLength_; }
  // After Write: the record data with the new creator, type and dates.
  ConstBytes record() const { return record_; }
  const std::optional<std::string>& newName() const { return newName_; }

 private:
  void Finish(int result);

  Context& ctx_;
  std::array<std::uint8_t, filrec::kSize> record_{};
  std::function<bool()> writeProtected_;
  bool readOnly_;
  std::string shownName_, name_;
  std::string shownCreator_, creator_;
  std::string shownType_, type_;
  DateTexts shownCreated_, created_;
  DateTexts shownModified_, modified_;
  std::string dataLength_, resourceLength_;
  ExtentsInfo extents_;
  std::optional<std::string> newName_;
  bool showExtents_ = false;
  bool closed_ = false;
  int result_ = 0;
};

}  // namespace tarvo
