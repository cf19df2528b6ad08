// extract.exe x "<archive>" [-aos] [-o"<folder>"] [-r] [-y]
// Extracts every entry of a zip archive (stored or deflated; a self-extracting .exe with a
// zip inside works too) with its folders into the target folder. -aos keeps files that are
// already there, otherwise they are replaced; -r and -y are accepted (all entries, no prompts).
// Exit codes: 0 done, 2 an archive or file error, 7 a bad command line.
// VANTORIL_EXTRACT_DELAY_MS (tests): milliseconds to wait before extracting, so that a test can
// watch what the program shows while the extractor runs. VANTORIL_EXTRACT_HANG (tests), set to
// anything: it never ends, as a hung extractor, until it is ended from outside.
#include <windows.h>
#include <shellapi.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tools/extract/zip_names.h"
#include "tools/standin_log.h"

namespace {

constexpr int exit_ok = 0, exit_error = 2, exit_usage = 7;

struct options {
  std::wstring archive;
  std::wstring target = L".";
  bool skip_existing = false;
};

struct entry {
  std::wstring name;
  uint16_t flags, method;
  uint32_t crc, packed, size, local_offset;
};

uint16_t u16at(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t u32at(const unsigned char* p) { return uint32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24); }

void complain(const wchar_t* what, const std::wstring& name) {
  std::fprintf(stderr, "extract: %s: %s\n", standin_utf8(what).c_str(), standin_utf8(name.c_str()).c_str());
}

bool read_at(HANDLE h, uint64_t offset, void* buffer, DWORD size) {
  LARGE_INTEGER pos;
  pos.QuadPart = LONGLONG(offset);
  DWORD read = 0;
  return SetFilePointerEx(h, pos, nullptr, FILE_BEGIN) && ReadFile(h, buffer, size, &read, nullptr) &&
         read == size;
}

std::wstring entry_name(const unsigned char* p, size_t n, bool utf8) {
  if (n == 0) return std::wstring();
  UINT page = utf8 ? CP_UTF8 : 437;
  int count = MultiByteToWideChar(page, 0, reinterpret_cast<const char*>(p), int(n), nullptr, 0);
  std::wstring out(size_t(count), L'\0');
  if (count) MultiByteToWideChar(page, 0, reinterpret_cast<const char*>(p), int(n), &out[0], count);
  return out;
}

// Reads the central directory. The shift is where the zip starts inside the file (non-zero
// for a self-extracting program with the archive appended).
bool read_directory(HANDLE h, std::vector<entry>& entries, uint64_t& shift) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size) || size.QuadPart < 22) return false;
  uint64_t file_size = uint64_t(size.QuadPart);
  DWORD tail_size = DWORD(file_size < 65557 ? file_size : 65557);
  std::vector<unsigned char> tail(tail_size);
  if (!read_at(h, file_size - tail_size, tail.data(), tail_size)) return false;
  size_t eocd = std::string::npos;
  for (size_t i = tail_size - 22 + 1; i-- > 0;) {
    if (u32at(&tail[i]) == 0x06054b50) {
      eocd = i;
      break;
    }
  }
  if (eocd == std::string::npos) return false;
  const unsigned char* e = &tail[eocd];
  uint32_t count = u16at(e + 10), dir_size = u32at(e + 12), dir_offset = u32at(e + 16);
  uint64_t eocd_pos = file_size - tail_size + eocd;
  if (dir_size > eocd_pos || dir_offset > eocd_pos - dir_size) return false;
  shift = eocd_pos - dir_size - dir_offset;
  std::vector<unsigned char> dir(dir_size);
  if (dir_size && !read_at(h, shift + dir_offset, dir.data(), dir_size)) return false;
  size_t p = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (p + 46 > dir.size() || u32at(&dir[p]) != 0x02014b50) return false;
    const unsigned char* c = &dir[p];
    size_t name_len = u16at(c + 28), extra_len = u16at(c + 30), comment_len = u16at(c + 32);
    if (p + 46 + name_len + extra_len + comment_len > dir.size()) return false;
    entry en;
    en.flags = u16at(c + 8);
    en.method = u16at(c + 10);
    en.crc = u32at(c + 16);
    en.packed = u32at(c + 20);
    en.size = u32at(c + 24);
    en.local_offset = u32at(c + 42);
    en.name = entry_name(c + 46, name_len, (en.flags & 0x800) != 0);
    entries.push_back(en);
    p += 46 + name_len + extra_len + comment_len;
  }
  return true;
}

bool make_folders(const std::wstring& root, const std::wstring& relative) {
  size_t i = 0;
  while (true) {
    size_t end = relative.find(L'\\', i);
    if (end == std::wstring::npos) return true;
    std::wstring path = root + L"\\" + relative.substr(0, end);
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    i = end + 1;
  }
}

// Copies the entry's data into the file, inflating when needed, and checks its CRC.
bool write_entry(HANDLE archive, uint64_t data_pos, const entry& en, HANDLE out) {
  std::vector<unsigned char> in(65536), buf(65536);
  uint32_t left = en.packed;
  uLong crc = crc32(0, nullptr, 0);
  uint64_t written_total = 0;
  z_stream z = {};
  bool deflated = en.method == 8;
  if (deflated && inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  bool ok = true, stream_end = !deflated;
  uint64_t pos = data_pos;
  auto emit = [&](const unsigned char* p, DWORD n) {
    // More than the entry declares is a damaged or hostile entry: stop before it fills the disk.
    if (written_total + n > en.size) return false;
    DWORD w = 0;
    crc = crc32(crc, p, n);
    written_total += n;
    return WriteFile(out, p, n, &w, nullptr) && w == n;
  };
  while (ok && left > 0) {
    DWORD n = left < in.size() ? left : DWORD(in.size());
    if (!read_at(archive, pos, in.data(), n)) {
      ok = false;
      break;
    }
    pos += n;
    left -= n;
    if (!deflated) {
      ok = emit(in.data(), n);
      continue;
    }
    z.next_in = in.data();
    z.avail_in = n;
    while (ok && z.avail_in > 0 && !stream_end) {
      z.next_out = buf.data();
      z.avail_out = uInt(buf.size());
      int r = inflate(&z, Z_NO_FLUSH);
      if (r != Z_OK && r != Z_STREAM_END) ok = false;
      if (r == Z_STREAM_END) stream_end = true;
      DWORD produced = DWORD(buf.size() - z.avail_out);
      if (ok && produced) ok = emit(buf.data(), produced);
      if (r == Z_BUF_ERROR) ok = false;
    }
  }
  if (deflated) {
    // Output still held by the inflater once the input is consumed.
    while (ok && !stream_end) {
      z.next_out = buf.data();
      z.avail_out = uInt(buf.size());
      int r = inflate(&z, Z_NO_FLUSH);
      DWORD produced = DWORD(buf.size() - z.avail_out);
      if (r == Z_STREAM_END) stream_end = true;
      else if (r != Z_OK || produced == 0) ok = false;
      if (produced && !emit(buf.data(), produced)) ok = false;
    }
    inflateEnd(&z);
  }
  return ok && stream_end && written_total == en.size && crc == en.crc;
}

int extract_all(const options& o) {
  HANDLE archive = CreateFileW(o.archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (archive == INVALID_HANDLE_VALUE) {
    complain(L"cannot open the archive", o.archive);
    return exit_error;
  }
  std::vector<entry> entries;
  uint64_t shift = 0;
  if (!read_directory(archive, entries, shift)) {
    complain(L"not a zip archive", o.archive);
    CloseHandle(archive);
    return exit_error;
  }
  CreateDirectoryW(o.target.c_str(), nullptr);
  int result = exit_ok;
  for (const entry& en : entries) {
    bool folder_entry = !en.name.empty() && (en.name.back() == L'/' || en.name.back() == L'\\');
    std::wstring rel = safe_entry_name(en.name);
    if (rel.empty()) {
      complain(L"unsafe entry name refused", en.name);
      result = exit_error;
      continue;
    }
    if (!make_folders(o.target, folder_entry ? rel + L"\\" : rel)) {
      complain(L"cannot make the folder of", rel);
      result = exit_error;
      continue;
    }
    if (folder_entry) continue;
    if ((en.flags & 1) || (en.method != 0 && en.method != 8)) {
      complain(L"unsupported entry (encrypted or compression method)", rel);
      result = exit_error;
      continue;
    }
    unsigned char local[30];
    uint64_t local_pos = shift + en.local_offset;
    if (!read_at(archive, local_pos, local, 30) || u32at(local) != 0x04034b50) {
      complain(L"bad local header", rel);
      result = exit_error;
      continue;
    }
    uint64_t data_pos = local_pos + 30 + u16at(local + 26) + u16at(local + 28);
    std::wstring path = o.target + L"\\" + rel;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && o.skip_existing) continue;
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
      complain(L"cannot write", path);
      result = exit_error;
      continue;
    }
    bool ok = write_entry(archive, data_pos, en, out);
    CloseHandle(out);
    if (!ok) {
      DeleteFileW(path.c_str());  // never leave a damaged file behind
      complain(L"damaged entry", rel);
      result = exit_error;
    }
  }
  CloseHandle(archive);
  return result;
}

}  // namespace

// The test delay, at most a minute, or for ever.
static void test_delay() {
  if (GetEnvironmentVariableW(L"VANTORIL_EXTRACT_HANG", nullptr, 0) > 0) Sleep(INFINITE);
  wchar_t text[16];
  DWORD n = GetEnvironmentVariableW(L"VANTORIL_EXTRACT_DELAY_MS", text, 16);
  if (n == 0 || n >= 16) return;
  long ms = wcstol(text, nullptr, 10);
  if (ms > 0) Sleep(DWORD(ms < 60000 ? ms : 60000));
}

int main() {
  standin_log_start();
  test_delay();
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return exit_usage;
  options o;
  bool command_seen = false, archive_seen = false;
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    if (!command_seen) {
      if (a != L"x") break;
      command_seen = true;
    } else if (a == L"-aos") {
      o.skip_existing = true;
    } else if (a == L"-r" || a == L"-y") {
    } else if (a.compare(0, 2, L"-o") == 0 && a.size() > 2) {
      o.target = a.substr(2);
      while (o.target.size() > 3 && (o.target.back() == L'\\' || o.target.back() == L'/')) o.target.pop_back();
    } else if (!archive_seen && !a.empty() && a[0] != L'-') {
      o.archive = a;
      archive_seen = true;
    } else {
      command_seen = false;
      break;
    }
  }
  LocalFree(argv);
  if (!command_seen || !archive_seen) {
    std::fprintf(stderr, "usage: extract x <archive> [-aos] [-o<folder>] [-r] [-y]\n");
    return exit_usage;
  }
  return extract_all(o);
}
