// This program's claim on a drive's medium for the writes of an update:
// the medium's exclusive lock between programs (medium_lock.h), asked of
// the SCSI manager port. A claim lasts until the span it was made in ends
// (ClaimSpan), or until ShareClaimedMedia.
#pragma once

#include <string>

namespace tarvo {

struct Engine;

// Claims the medium of the selected drive (hostAdapterId, targetId).
// Returns "" when this program may write it, else why nothing may be
// written: the drive's own refusal (a device the system has mounted), or
// "The volume is in use by another program.".
std::string ClaimSelectedMedium(Engine& ctx);

// Ends every claim: the media are shared again.
void ShareClaimedMedia(Engine& ctx);

// The span of one update as the user asked for it (a menu command, a typed
// line, a format): when it ends, the media claimed in it are shared again,
// so that other programs may read them between updates. Spans nest (a
// typed command runs menu commands): a claim made before an inner span
// began lasts until the outer one ends.
class ClaimSpan {
 public:
  explicit ClaimSpan(Engine& ctx);
  ~ClaimSpan();
  ClaimSpan(const ClaimSpan&) = delete;
  ClaimSpan& operator=(const ClaimSpan&) = delete;

 private:
  Engine& ctx_;
  bool endsClaims_;  // no claim was held when it began
};

}  // namespace tarvo
