// The handle table: every file, listing and mapping handle given to the
// module, and CloseHandle, which ends any of them.
#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "platform/handles.hpp"

namespace platform::internal {
namespace {

// The table is split by handle address into shards, each with its own
// lock, so that the worker threads of a search, each opening, reading and
// closing its own files, seldom wait for one another.
struct alignas(64) Shard {
  std::mutex lock;
  std::unordered_map<HANDLE, std::unique_ptr<HandleObject>> objects;
};
constexpr size_t kShards = 16;

std::array<Shard, kShards>& Shards() {
  static std::array<Shard, kShards> shards;
  return shards;
}

Shard& ShardOf(HANDLE handle) {
  // Objects are heap blocks of a few hundred bytes: the bits above the
  // smallest block size tell neighbours apart.
  return Shards()[(reinterpret_cast<uintptr_t>(handle) >> 6) % kShards];
}

// The first open file for which wanted(file) holds, in any shard.
template <typename Wanted>
FileObject* FindFile(Wanted wanted) {
  for (Shard& shard : Shards()) {
    std::lock_guard guard(shard.lock);
    for (auto& [handle, object] : shard.objects) {
      auto* file = dynamic_cast<FileObject*>(object.get());
      if (file && wanted(*file)) return file;
    }
  }
  return nullptr;
}

}  // namespace

HANDLE RegisterHandle(std::unique_ptr<HandleObject> object) {
  HANDLE handle = object.get();
  Shard& shard = ShardOf(handle);
  std::lock_guard guard(shard.lock);
  shard.objects.emplace(handle, std::move(object));
  return handle;
}

HandleObject* FindHandleObject(HANDLE handle) {
  Shard& shard = ShardOf(handle);
  std::lock_guard guard(shard.lock);
  auto found = shard.objects.find(handle);
  return found == shard.objects.end() ? nullptr : found->second.get();
}

std::unique_ptr<HandleObject> TakeHandleObject(HANDLE handle) {
  Shard& shard = ShardOf(handle);
  std::lock_guard guard(shard.lock);
  auto found = shard.objects.find(handle);
  if (found == shard.objects.end()) return nullptr;
  std::unique_ptr<HandleObject> object = std::move(found->second);
  shard.objects.erase(found);
  return object;
}

FileObject* FindOpenTemporary(const std::string& path) {
  return FindFile([&](const FileObject& file) { return file.delete_on_close && file.path == path; });
}

FileObject* FindOpenReader(const std::string& path) {
  return FindFile(
      [&](const FileObject& file) { return !file.read_target.empty() && file.path == path; });
}

bool FileSizeOf(const FileObject& file, uint64_t* size) {
  if (!file.size_at_open) return FileSizeNow(file, size);
  *size = *file.size_at_open;
  return true;
}

bool FileSizeNow(const FileObject& file, uint64_t* size) {
  struct stat st;
  if (fstat(file.fd.get(), &st) != 0) return false;
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}

FileObject::~FileObject() {
  if (delete_on_close && !unnamed) unlink(path.c_str());
}

}  // namespace platform::internal

extern "C" BOOL WINAPI CloseHandle(HANDLE object) {
  if (platform::internal::TakeHandleObject(object) == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
