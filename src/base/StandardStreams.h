#pragma once

namespace kx12r {

// Standard output and error carry the same bytes on every system: Windows would otherwise add
// a CR before each line's end, one too many for a CSV record's CR LF.
void KeepStandardStreamsBinary();

}  // namespace kx12r
