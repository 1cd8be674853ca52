#pragma once
// Settings of the whole process, made at the very start of main, before
// any thread exists, so that every thread inherits them.

namespace vorn {

// A write past the file-size limit (RLIMIT_FSIZE) would otherwise kill the
// process with SIGXFSZ; ignored, the write fails with EFBIG and is reported
// like any other refused write.
void ignore_file_size_signal();

}  // namespace vorn
