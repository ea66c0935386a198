// The handle table: every file, listing and mapping handle given to the
// module, and CloseHandle, which ends any of them.
#include <sys/stat.h>

#include <mutex>
#include <unordered_map>

#include "platform/handles.hpp"

namespace platform::internal {
namespace {

struct HandleTable {
  std::mutex lock;
  std::unordered_map<HANDLE, std::unique_ptr<HandleObject>> objects;
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

}  // namespace

HANDLE RegisterHandle(std::unique_ptr<HandleObject> object) {
  HANDLE handle = object.get();
  HandleTable& table = Table();
  std::lock_guard guard(table.lock);
  table.objects.emplace(handle, std::move(object));
  return handle;
}

HandleObject* FindHandleObject(HANDLE handle) {
  HandleTable& table = Table();
  std::lock_guard guard(table.lock);
  auto found = table.objects.find(handle);
  return found == table.objects.end() ? nullptr : found->second.get();
}

std::unique_ptr<HandleObject> TakeHandleObject(HANDLE handle) {
  HandleTable& table = Table();
  std::lock_guard guard(table.lock);
  auto found = table.objects.find(handle);
  if (found == table.objects.end()) return nullptr;
  std::unique_ptr<HandleObject> object = std::move(found->second);
  table.objects.erase(found);
  return object;
}

FileObject* FindOpenTemporary(const std::string& path) {
  HandleTable& table = Table();
  std::lock_guard guard(table.lock);
  for (auto& [handle, object] : table.objects) {
    auto* file = dynamic_cast<FileObject*>(object.get());
    if (file && file->delete_on_close && file->path == path) return file;
  }
  return nullptr;
}

FileObject* FindOpenReader(const std::string& path) {
  HandleTable& table = Table();
  std::lock_guard guard(table.lock);
  for (auto& [handle, object] : table.objects) {
    auto* file = dynamic_cast<FileObject*>(object.get());
    if (file && !file->read_target.empty() && file->path == path) return file;
  }
  return nullptr;
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
