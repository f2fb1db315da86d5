// What the fuzz targets share: the process set-up (scratch folder, console
// to /dev/null) and the reset that lets one process run input after input
// as if each were a fresh run of vellum.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

// Once per process, before the first input (fuzz_initialize.cpp): makes a
// scratch folder under the system's temporary folder (removed at exit) and
// confines the guest's host paths to it (path_jail.cpp), sends descriptor 1
// to /dev/null and reads descriptor 0 from it. Exits the process on failure.
void start_process();

// Between inputs: closes what the last guest left open, empties the scratch
// folder and clears the process-wide state (memory, file table, DTA, Malloc
// pointer, QuitFlag, exit code) and installs the ROM and OS calls again.
void reset_machine();

// Big-endian readers over the input, answering 0 past its end.
class InputReader {
 public:
  InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t u8() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t u16() { return static_cast<uint16_t>(u8() << 8 | u8()); }
  uint32_t u32() { return static_cast<uint32_t>(u16()) << 16 | u16(); }
  size_t left() const { return size_ - pos_; }
  const uint8_t* here() const { return data_ + pos_; }
  void skip(size_t n) { pos_ += n < left() ? n : left(); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace fuzz
