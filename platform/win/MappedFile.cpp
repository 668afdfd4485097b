#include "platform/MappedFile.h"

#include "platform/win/CodePage.h"
#include "platform/win/Handles.h"

#include <windows.h>

#include <string>

namespace likenex {
namespace {

struct ViewTraits {
    using Type = const void*;
    static Type invalid() { return nullptr; }
    static void close(Type view) { UnmapViewOfFile(view); }
};
using UniqueView = UniqueResource<ViewTraits>;

}  // namespace

struct MappedFile::Mapping {
    // Members are destroyed bottom to top: the view first, then the mapping, then the file.
    UniqueFile file;
    UniqueHandle section;
    UniqueView view;
    std::size_t length = 0;
};

MappedFile::MappedFile() = default;
MappedFile::~MappedFile() = default;
MappedFile::MappedFile(MappedFile&& other) noexcept = default;
MappedFile& MappedFile::operator=(MappedFile&& other) noexcept = default;

bool MappedFile::open(const std::string& path) {
    close();
    // Paths are 8-bit in the system code page; the wide call keeps long and odd names working.
    std::wstring widePath = systemCodePage().toWide(path);
    if (widePath.empty()) return false;
    auto mapping = std::make_unique<Mapping>();
    mapping->file.reset(CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!mapping->file) return false;
    const HANDLE file = mapping->file.get();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return false;
    if (static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX) return false;
    // CreateFileMappingW refuses a file of zero bytes; say so before asking it.
    if (size.QuadPart == 0) return false;
    mapping->section.reset(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping->section) return false;
    mapping->view.reset(MapViewOfFile(mapping->section.get(), FILE_MAP_READ, 0, 0, 0));
    if (!mapping->view) return false;
    mapping->length = static_cast<std::size_t>(size.QuadPart);
    mapping_ = std::move(mapping);
    return true;
}

void MappedFile::close() { mapping_.reset(); }

bool MappedFile::isOpen() const { return mapping_ != nullptr; }

std::span<const std::uint8_t> MappedFile::bytes() const {
    if (!mapping_ || !mapping_->view) return {};
    return {static_cast<const std::uint8_t*>(mapping_->view.get()), mapping_->length};
}

}  // namespace likenex
