#pragma once
// Settings of the whole process, made at the very start of main, before
// any thread exists, so that every thread inherits them.

namespace vorn {

// A write past the file-size limit (RLIMIT_FSIZE) or into a pipe whose
// reader has gone would otherwise kill the process with SIGXFSZ or SIGPIPE;
// with both ignored the write fails with EFBIG or EPIPE and is reported like
// any other refused write.
void ignore_write_signals();

}  // namespace vorn
