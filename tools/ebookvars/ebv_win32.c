/* Opening and holding the E-Book on Windows. */
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <stdlib.h>
#include <windows.h>

#include "tools/ebookvars/ebv_book.h"

static int read_at(void* source, int64_t offset, void* buffer, size_t size) {
  const HANDLE file = *(const HANDLE*)source;
  char* bytes = (char*)buffer;
  size_t done = 0;
  while (done < size) {
    /* The table is below 2 GiB, so each piece fits a DWORD. */
    const DWORD piece = (DWORD)(size - done);
    DWORD got = 0;
    OVERLAPPED at;
    const uint64_t position = (uint64_t)offset + done;
    ZeroMemory(&at, sizeof at);
    at.Offset = (DWORD)position;
    at.OffsetHigh = (DWORD)(position >> 32);
    if (!ReadFile(file, bytes + done, piece, &got, &at) || got == 0) return 0;
    done += got;
  }
  return 1;
}

ebv_error ebv_open_wide(const wchar_t* path, ebv_book** book) {
  LARGE_INTEGER size;
  ebv_book* opened;
  ebv_error error;
  HANDLE file;
  if (!book) return EBV_ERROR_ARGUMENT;
  *book = NULL;
  if (!path) return EBV_ERROR_ARGUMENT;
  /* Sharing reading only: while this handle is open, every open for writing
     fails, the rebrander's exclusive open among them. */
  file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_SHARING_VIOLATION ? EBV_ERROR_IN_USE : EBV_ERROR_OPEN;
  }
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
    CloseHandle(file);
    return EBV_ERROR_OPEN;
  }
  opened = (ebv_book*)calloc(1, sizeof *opened);
  if (!opened) {
    CloseHandle(file);
    return EBV_ERROR_NO_MEMORY;
  }
  opened->file = (intptr_t)file;
  error = ebv_load(opened, (int64_t)size.QuadPart, read_at, &file);
  if (error != EBV_OK) {
    ebv_close(opened);
    return error;
  }
  *book = opened;
  return EBV_OK;
}

ebv_error ebv_open(const char* path, ebv_book** book) {
  int length;
  wchar_t* wide;
  ebv_error error;
  if (!book) return EBV_ERROR_ARGUMENT;
  *book = NULL;
  if (!path) return EBV_ERROR_ARGUMENT;
  length = MultiByteToWideChar(CP_ACP, 0, path, -1, NULL, 0);
  if (length <= 0) return EBV_ERROR_OPEN;
  wide = (wchar_t*)malloc((size_t)length * sizeof *wide);
  if (!wide) return EBV_ERROR_NO_MEMORY;
  MultiByteToWideChar(CP_ACP, 0, path, -1, wide, length);
  error = ebv_open_wide(wide, book);
  free(wide);
  return error;
}

ebv_error ebv_open_self(ebv_book** book) {
  /* The wide path, grown until it fits: any folder name, any length. */
  DWORD capacity = MAX_PATH;
  if (!book) return EBV_ERROR_ARGUMENT;
  *book = NULL;
  for (;;) {
    wchar_t* path = (wchar_t*)malloc(capacity * sizeof *path);
    DWORD length;
    ebv_error error;
    if (!path) return EBV_ERROR_NO_MEMORY;
    length = GetModuleFileNameW(NULL, path, capacity);
    if (length == 0) {
      free(path);
      return EBV_ERROR_OPEN;
    }
    if (length < capacity) {
      error = ebv_open_wide(path, book);
      free(path);
      return error;
    }
    free(path);
    if (capacity >= 32768) return EBV_ERROR_OPEN; /* longer than any Windows path */
    capacity *= 2;
  }
}

void ebv_close(ebv_book* book) {
  if (!book) return;
  ebv_unload(book);
  CloseHandle((HANDLE)book->file);
  free(book);
}
