// What a request to send a file or folder to the recycle bin came to, read
// from what was seen before and after the shell's operation. The shell's own
// answer is not trusted: it reports success for an item it left in place, and
// on some volumes it deletes for good what the bin cannot take.
#pragma once

namespace corvane {

enum class RecycleOutcome {
  absent,         // nothing was there: nothing to do
  recycled,       // the item has left its place for the bin
  left_in_place,  // the shell failed, the user said No, or the item is held
  refused,        // the bin could not take it, and the permanent delete that
                  // the shell would have made instead was refused
  destroyed,      // the platform reports a permanent delete, never asked for
};

struct RecycleFacts {
  bool there_before = false;
  bool there_after = false;
  bool permanent_delete_refused = false;  // a delete or question to delete for good was refused
  bool deleted_for_good = false;          // the platform reports the item gone without a bin copy
};

RecycleOutcome recycle_outcome(const RecycleFacts& facts);

// The method's answer: True only for an item that went to the bin, and (as
// for every delete) for a path with nothing there.
bool recycle_answer(RecycleOutcome outcome);

}  // namespace corvane
