// DLG_PART, "Select Partition": the model behind the dialog that picks one
// of several HFS partitions. A front end draws `rows` and calls the action
// methods until `closed()`.
//
// Eight rows; row r shows the r-th partition of the list (its name in the
// Windows character set, its start as "Offset" and its size as "Nr Sect.",
// both decimal) and has its radio button enabled. Only the first eight
// partitions can be offered. No row is chosen at first.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "medium/partition_map.h"

namespace tarvo {

struct Engine;

class PartitionDialog {
 public:
  static constexpr int kRows = 8;

  struct Row {
    bool enabled = false;
    std::string name;     // Windows character set
    std::string offset;   // the start sector, decimal
    std::string sectors;  // the sector count, decimal
  };

  PartitionDialog(Engine& ctx, const PartitionList& list);

  void ClickRow(int row);  // only listed rows can be chosen
  // With a chosen row: closes with its number. Without: "Please select a
  // partition on the volume." and the dialog stays open.
  void Ok();
  void Cancel();  // Cancel or Esc: volumeOrigin := 0, result -1
  void Close();   // the title bar's close box: drops the drive (targetId 255), result -1
  // A typed answer (console and scripted double): a row number chooses that
  // row and confirms; "ok" or an empty answer confirms; "cancel" cancels. A
  // number that names no listed row is ignored.
  void ApplyAnswer(std::string_view text);

  bool closed() const { return closed_; }
  int result() const { return result_; }
  const std::array<Row, kRows>& rows() const { return rows_; }
  int selectedRow() const { return selected_; }  // -1: none

 private:
  void Finish(int result);

  Engine& ctx_;
  std::array<Row, kRows> rows_{};
  int selected_ = -1;
  bool closed_ = false;
  int result_ = -1;
};

// Runs DLG_PART through the user interface. Returns the chosen row, or -1.
int ChoosePartition(Engine& ctx, const PartitionList& list);

}  // namespace tarvo
