#include "file_errors.h"

namespace corvane {

int runtime_error_for(uint32_t platform_error) {
  switch (platform_error) {
    case 2: return 53;    // file not found
    case 3: return 76;    // path not found
    case 4: return 67;    // too many open files: too many files
    case 5: return 75;    // access denied (also a directory opened as a file): path/file access error
    case 8: return 7;     // not enough memory
    case 14: return 7;    // out of memory
    case 15: return 68;   // invalid drive: device unavailable
    case 19: return 70;   // write protected: permission denied
    case 21: return 71;   // not ready: disk not ready
    case 23: return 57;   // data error (CRC): device I/O error
    case 30: return 57;   // read fault
    case 32: return 70;   // sharing violation: permission denied
    case 33: return 70;   // lock violation
    case 39: return 61;   // handle disk full
    case 80: return 58;   // file exists
    case 112: return 61;  // disk full
    case 123: return 52;  // invalid name: bad file name or number
    case 161: return 76;  // bad path name: path not found
    case 183: return 58;  // already exists
    case 206: return 52;  // name too long
    case 1117: return 57; // I/O device error
    default: return 75;   // any other failure: path/file access error
  }
}

}  // namespace corvane
