// A ring of file calls that the Linux kernel carries out many at a time
// (io_uring), driven through its system calls directly.
#pragma once

#include <cstddef>
#include <cstdint>

struct io_uring_sqe;

namespace platform {

class FileCallRing {
 public:
  // A ring for up to `entries` calls at once; usable() is false where the
  // kernel offers none, or not every call that FileHeadReader::Read makes.
  explicit FileCallRing(unsigned entries);
  ~FileCallRing();
  FileCallRing(const FileCallRing&) = delete;
  FileCallRing& operator=(const FileCallRing&) = delete;

  bool usable() const { return fd_ >= 0; }
  unsigned entries() const { return entries_; }

  // The next call to fill in, cleared, its user data `tag`; at most entries()
  // before Run.
  io_uring_sqe* Queue(std::uint64_t tag);
  // Hands the queued calls to the kernel and waits for them all, setting
  // results[tag] to each one's result (-errno on failure). False, with no
  // call made, when the kernel takes none.
  bool Run(int* results);

 private:
  int fd_ = -1;
  unsigned entries_ = 0;
  unsigned queued_ = 0;
  void* rings_ = nullptr;  // the submission and completion rings, mapped as one
  std::size_t rings_size_ = 0;
  void* calls_ = nullptr;  // the submission entries
  std::size_t calls_size_ = 0;
  unsigned* sq_tail_ = nullptr;
  unsigned* sq_mask_ = nullptr;
  unsigned* sq_array_ = nullptr;
  unsigned* cq_head_ = nullptr;
  unsigned* cq_tail_ = nullptr;
  unsigned* cq_mask_ = nullptr;
  void* cqes_ = nullptr;
};

}  // namespace platform
