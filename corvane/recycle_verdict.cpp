#include "recycle_verdict.h"

namespace corvane {

RecycleOutcome recycle_outcome(const RecycleFacts& facts) {
  if (!facts.there_before) return RecycleOutcome::absent;
  // Whatever the shell said: an item still in its place was not recycled.
  if (facts.there_after)
    return facts.permanent_delete_refused ? RecycleOutcome::refused : RecycleOutcome::left_in_place;
  if (facts.deleted_for_good) return RecycleOutcome::destroyed;
  return RecycleOutcome::recycled;
}

bool recycle_answer(RecycleOutcome outcome) {
  switch (outcome) {
    case RecycleOutcome::absent:
    case RecycleOutcome::recycled:
      return true;
    case RecycleOutcome::left_in_place:
    case RecycleOutcome::refused:
    case RecycleOutcome::destroyed:  // the caller asked for the bin: it cannot be brought back
      return false;
  }
  return false;
}

}  // namespace corvane
