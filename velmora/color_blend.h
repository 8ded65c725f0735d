// Colours of the gradient engine: the two-colour blend table and the rule that
// turns a negative colour into a reference to a system display colour.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace velmora {

// The system colour index a colour value names (its low 31 bits when the
// value is negative and those bits are at most 24), if it names one.
std::optional<int> system_colour_index(std::int32_t colour);

// The step count BlendColors works with: at least 2.
std::int32_t blend_step_count(std::int32_t steps);

// Fills `table` (blend_step_count(steps) entries) with the blend from colour1
// to colour2: the first and last entries are the colours unchanged, the
// interior ones move in equal Single-precision steps of one steps-th of the
// difference, each component rounded to nearest with ties to even.
void blend_colors(std::int32_t colour1, std::int32_t colour2, std::int32_t steps, std::int32_t* table);

// The same into a new vector (tests and callers without a caller's array).
std::vector<std::int32_t> blend_colors(std::int32_t colour1, std::int32_t colour2, std::int32_t steps);

}  // namespace velmora
