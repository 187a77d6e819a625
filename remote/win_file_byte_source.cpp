#include "remote/win_file_byte_source.h"

#include <limits>

WinFileByteSource::WinFileByteSource(const std::string& path)
    : m_file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr)) {
  if (!m_file.IsValid()) {
    const DWORD error = ::GetLastError();
    m_openError = error != 0 ? error : ERROR_OPEN_FAILED;
    return;
  }
  LARGE_INTEGER size = {};
  if (::GetFileSizeEx(m_file.Get(), &size) && size.QuadPart > 0) m_size = static_cast<std::uint64_t>(size.QuadPart);
}

bool WinFileByteSource::Read(std::uint8_t* buffer, std::size_t maxBytes, std::size_t& bytesRead) {
  bytesRead = 0;
  if (!IsOpen()) return false;
  const DWORD ask = maxBytes > std::numeric_limits<DWORD>::max() ? std::numeric_limits<DWORD>::max()
                                                                  : static_cast<DWORD>(maxBytes);
  DWORD got = 0;
  if (!::ReadFile(m_file.Get(), buffer, ask, &got, nullptr)) return false;
  bytesRead = got;
  m_position += got;
  return true;
}

std::uint64_t WinFileByteSource::Remaining() const {
  // A file that grew since it was opened reads as what remains of its old size.
  return m_position < m_size ? m_size - m_position : 0;
}
