// The animated wait cursor: twelve frames of our own design, a ring of
// twelve dots with one dark dot running clockwise and a fading tail behind
// it. Frame n (1..12) puts the dark dot at n o'clock. The frames are drawn
// once, on first use.
#pragma once

#include <QCursor>
#include <array>
#include <optional>

namespace tarvo {

inline constexpr int kWaitFrames = 12;

class WaitCursor {
 public:
  // The cursor of frame 1..12 (other numbers wrap into that range).
  const QCursor& Frame(int frame);

 private:
  std::array<std::optional<QCursor>, kWaitFrames> frames_;
};

}  // namespace tarvo
