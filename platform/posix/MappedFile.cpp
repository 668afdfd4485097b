#include "platform/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace likenex {

struct MappedFile::Mapping {
    void* address = nullptr;
    std::size_t length = 0;

    ~Mapping() {
        if (address) munmap(address, length);
    }
};

MappedFile::MappedFile() = default;
MappedFile::~MappedFile() = default;
MappedFile::MappedFile(MappedFile&& other) noexcept = default;
MappedFile& MappedFile::operator=(MappedFile&& other) noexcept = default;

bool MappedFile::open(const std::string& path) {
    close();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    auto mapping = std::make_unique<Mapping>();
    struct stat status {};
    bool ok = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0;
    if (ok) {
        void* address = mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (address == MAP_FAILED) {
            ok = false;
        } else {
            mapping->address = address;
            mapping->length = static_cast<std::size_t>(status.st_size);
        }
    }
    ::close(fd);  // the mapping stays valid without the descriptor
    if (!ok) return false;
    mapping_ = std::move(mapping);
    return true;
}

void MappedFile::close() { mapping_.reset(); }

bool MappedFile::isOpen() const { return mapping_ != nullptr; }

std::span<const std::uint8_t> MappedFile::bytes() const {
    if (!mapping_ || !mapping_->address) return {};
    return {static_cast<const std::uint8_t*>(mapping_->address), mapping_->length};
}

}  // namespace likenex
