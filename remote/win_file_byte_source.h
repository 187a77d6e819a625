#pragma once
// A file opened for reading, handed to the list reader chunk by chunk.
#include <string>

#include "remote/core/byte_source.h"
#include "remote/win_handle.h"

class WinFileByteSource : public ByteSource {
 public:
  // Opens path for reading; IsOpen() tells whether that worked.
  explicit WinFileByteSource(const std::string& path);

  bool IsOpen() const { return m_file.IsValid(); }
  // The system's error of a failed open; 0 when open.
  DWORD OpenError() const { return m_openError; }
  bool Read(std::uint8_t* buffer, std::size_t maxBytes, std::size_t& bytesRead) override;
  std::uint64_t Remaining() const override;

 private:
  WinFileHandle m_file;
  std::uint64_t m_size = 0;
  std::uint64_t m_position = 0;
  DWORD m_openError = 0;
};
