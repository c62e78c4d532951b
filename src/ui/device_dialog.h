// DLG_DEV, "Device selection": the model behind the dialog that chooses the
// cartridge drive. A front end draws `rows`, `driverName` and the enabled
// buttons, and calls the action methods until `closed()`.
//
// The dialog changes the selection as the user works: a click sets
// `targetId`, the host buttons set `hostAdapterId`. Showing an adapter
// clears the rows and the choice of the one shown before, and preselects the
// drive when the adapter has exactly one. An adapter without drives is
// passed over in favour of the next one (the last adapter is shown even when
// empty). "Preceding Host" goes back to the nearest earlier adapter that has
// drives and is enabled only when there is one. OK reads the drive's
// capacity (ten attempts, then the run ends) and takes the medium's last
// 512-byte sector from it, and the sector size and sector entry point when
// the block length is 512 or 1024 (any other length leaves both as they were).
//
// Typed answers (console and scripted double): a target number 0..7 selects
// that drive and confirms (a target without a drive is refused with the
// "select a drive" message); "next" / "previous" press those buttons; "ok"
// or an empty answer confirms; "cancel" cancels. Anything else beeps.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "device/drive_selection.h"

namespace tarvo {

struct Context;

// How DLG_DEV ended: a drive chosen and confirmed, Cancel or the close box,
// or no host adapter answering.
enum class DriveChoice { kChosen, kCancelled, kNoAdapter };

class DeviceDialog {
 public:
  struct Row {
    bool enabled = false;  // a drive answers at this target
    std::string vendor, product, revision;
  };

  explicit DeviceDialog(Context& ctx) : ctx_(ctx) {}

  // Scans the bus and shows the first adapter with drives; closes at once
  // with 255 when no host adapter answers.
  void Open();
  void ClickTarget(std::uint8_t target);
  void NextHost();
  void PrecedingHost();
  void Ok();
  // Chooses the first drive of the list and closes with OK, for a front
  // end that asks nobody; false when the list holds none.
  bool ChooseFirstDrive();
  void Cancel();
  void Close();  // the title bar's close box
  void ApplyAnswer(std::string_view text);

  bool closed() const { return closed_; }
  DriveChoice result() const { return result_; }
  const std::array<Row, 8>& rows() const { return rows_; }
  const std::string& driverName() const { return driverName_; }
  std::size_t driveCount() const { return driveCount_; }  // on every adapter
  bool nextEnabled() const { return nextEnabled_; }
  bool precedingEnabled() const { return precedingEnabled_; }
  std::uint8_t shownAdapter() const;
  std::uint8_t selectedTarget() const;  // 255: none

 private:
  void ShowAdapter();
  void Finish(DriveChoice result);

  Context& ctx_;
  DeviceTable table_{};
  int adapterCount_ = 0;
  std::size_t driveCount_ = 0;
  std::array<Row, 8> rows_{};
  std::string driverName_;
  bool nextEnabled_ = false;
  bool precedingEnabled_ = false;
  bool closed_ = false;
  DriveChoice result_ = DriveChoice::kCancelled;
};

// DLG_DEV through the user interface. Once a drive is chosen,
// `deviceSectors` holds the number of the medium's last 512-byte sector.
DriveChoice SelectDrive(Context& ctx);
// Once at start-up, after the options: starts the SCSI manager (no adapter
// ends the run), then checks the drive given with /A (StartupPairAccepted,
// then its capacity as DLG_DEV's OK reads it, so a medium with 1024-byte
// sectors opens the same both ways) or, when none was given, runs DLG_DEV.
// Installs the sector entry point that matches the sector size and marks
// the transport as ASPI.
void StartupDriveSelection(Context& ctx);

}  // namespace tarvo
