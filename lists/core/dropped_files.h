// The shell's file list of a drop (CF_HDROP): a DROPFILES header followed by NUL-terminated
// paths, ANSI or UTF-16, the last followed by one more NUL.
#pragma once

#include <cstddef>

// The header's size and the offsets of the fields that locate the list.
constexpr size_t kDropFilesHeaderSize = 20;
constexpr size_t kDropFilesListOffsetField = 0;  // DWORD pFiles
constexpr size_t kDropFilesWideField = 16;       // BOOL fWide

// TRUE when the block holds a whole header and its list ends (two NUL characters in a row)
// inside the block, so that the list can be read without reading past the block. Only such
// a block is read at all: a drop of anything else changes nothing.
bool IsReadableFileList(const unsigned char* block, size_t size);
