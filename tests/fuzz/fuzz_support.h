// Helpers shared by the fuzz targets: a private working directory and whole-file writes, because
// the readers under test take file names, not buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz_support {

// Makes a fresh temporary directory with a gfx/ folder inside, makes it the working directory and
// removes it again at exit. Called once from each target's LLVMFuzzerInitialize, with its
// arguments: corpus folders and input files named relative to where the run started are made
// absolute first, so that they still resolve after the change of directory.
void EnterScratchDir(int* argc, char*** argv);

// Replaces the file at `path` (relative to the working directory) with `size` bytes of `data`.
void WriteWholeFile(const std::string& path, const uint8_t* data, size_t size);

// Stops the run with a message: a broken property is a finding just like a crash.
[[noreturn]] void Fail(const std::string& what);

}  // namespace fuzz_support
