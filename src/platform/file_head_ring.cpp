#include "platform/file_head_ring.h"

#ifdef __linux__
#include <linux/io_uring.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>
#endif

namespace platform {

#ifdef __linux__

namespace {

int Setup(unsigned entries, io_uring_params* params) {
  return static_cast<int>(::syscall(__NR_io_uring_setup, entries, params));
}

int Enter(int fd, unsigned to_submit, unsigned min_complete) {
  return static_cast<int>(
      ::syscall(__NR_io_uring_enter, fd, to_submit, min_complete, IORING_ENTER_GETEVENTS, nullptr, 0));
}

// Whether the kernel knows every call the heads of files take.
bool OffersFileCalls(int fd) {
  constexpr unsigned kOps = 64;
  std::vector<unsigned char> memory(sizeof(io_uring_probe) + kOps * sizeof(io_uring_probe_op));
  auto* probe = reinterpret_cast<io_uring_probe*>(memory.data());
  if (::syscall(__NR_io_uring_register, fd, IORING_REGISTER_PROBE, probe, kOps) < 0) return false;
  for (const unsigned op : {IORING_OP_OPENAT, IORING_OP_READ, IORING_OP_CLOSE}) {
    if (op > probe->last_op || !(probe->ops[op].flags & IO_URING_OP_SUPPORTED)) return false;
  }
  return true;
}

template <typename T>
T* At(void* base, std::uint32_t offset) {
  return reinterpret_cast<T*>(static_cast<char*>(base) + offset);
}

}  // namespace

FileCallRing::FileCallRing(unsigned entries) {
  io_uring_params params{};
  const int fd = Setup(entries, &params);
  if (fd < 0) return;  // e.g. a kernel without io_uring, or one that forbids it
  // One mapping for both rings, as every kernel with these calls offers.
  rings_size_ = std::max(params.sq_off.array + params.sq_entries * sizeof(unsigned),
                         params.cq_off.cqes + params.cq_entries * sizeof(io_uring_cqe));
  calls_size_ = params.sq_entries * sizeof(io_uring_sqe);
  void* rings = (params.features & IORING_FEAT_SINGLE_MMAP)
                    ? ::mmap(nullptr, rings_size_, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd,
                             IORING_OFF_SQ_RING)
                    : MAP_FAILED;
  void* calls = rings == MAP_FAILED ? MAP_FAILED
                                    : ::mmap(nullptr, calls_size_, PROT_READ | PROT_WRITE,
                                             MAP_SHARED | MAP_POPULATE, fd, IORING_OFF_SQES);
  if (calls == MAP_FAILED || !OffersFileCalls(fd)) {
    if (calls != MAP_FAILED) ::munmap(calls, calls_size_);
    if (rings != MAP_FAILED) ::munmap(rings, rings_size_);
    ::close(fd);
    return;
  }
  fd_ = fd;
  entries_ = params.sq_entries;
  rings_ = rings;
  calls_ = calls;
  sq_tail_ = At<unsigned>(rings, params.sq_off.tail);
  sq_mask_ = At<unsigned>(rings, params.sq_off.ring_mask);
  sq_array_ = At<unsigned>(rings, params.sq_off.array);
  cq_head_ = At<unsigned>(rings, params.cq_off.head);
  cq_tail_ = At<unsigned>(rings, params.cq_off.tail);
  cq_mask_ = At<unsigned>(rings, params.cq_off.ring_mask);
  cqes_ = At<io_uring_cqe>(rings, params.cq_off.cqes);
}

FileCallRing::~FileCallRing() {
  if (fd_ < 0) return;
  ::munmap(calls_, calls_size_);
  ::munmap(rings_, rings_size_);
  ::close(fd_);
}

io_uring_sqe* FileCallRing::Queue(std::uint64_t tag) {
  const unsigned tail = *sq_tail_ + queued_;
  const unsigned index = tail & *sq_mask_;
  sq_array_[index] = index;
  io_uring_sqe* call = static_cast<io_uring_sqe*>(calls_) + index;
  std::memset(call, 0, sizeof *call);
  call->user_data = tag;
  ++queued_;
  return call;
}

bool FileCallRing::Run(int* results) {
  const unsigned count = queued_;
  queued_ = 0;
  if (count == 0) return true;
  // The kernel sees the calls once the tail moves past them.
  __atomic_store_n(sq_tail_, *sq_tail_ + count, __ATOMIC_RELEASE);
  unsigned submitted = 0;
  unsigned done = 0;
  while (done < count) {
    const int entered = Enter(fd_, count - submitted, count - done);
    if (entered < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EBUSY) continue;
      // Nothing taken: the calls are withdrawn. Once some were, only their
      // completions can follow, and they are waited for.
      if (submitted == 0) {
        __atomic_store_n(sq_tail_, *sq_tail_ - count, __ATOMIC_RELEASE);
        return false;
      }
      submitted = count;
    } else {
      submitted += static_cast<unsigned>(entered);
    }
    unsigned head = *cq_head_;
    const unsigned tail = __atomic_load_n(cq_tail_, __ATOMIC_ACQUIRE);
    for (; head != tail; ++head, ++done) {
      const io_uring_cqe& completion = static_cast<io_uring_cqe*>(cqes_)[head & *cq_mask_];
      results[completion.user_data] = completion.res;
    }
    __atomic_store_n(cq_head_, head, __ATOMIC_RELEASE);
  }
  return true;
}

#else

FileCallRing::FileCallRing(unsigned) {}
FileCallRing::~FileCallRing() = default;
io_uring_sqe* FileCallRing::Queue(std::uint64_t) { return nullptr; }
bool FileCallRing::Run(int*) { return false; }

#endif

}  // namespace platform
