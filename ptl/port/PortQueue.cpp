#include "port/PortQueue.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace ptl {

namespace {

void setUser(int32_t *out, int32_t v) {
    if (out != nullptr)
        *out = v;
}

bool isPowerOfTwo(uint32_t n) {
    return n != 0 && (n & (n - 1)) == 0;
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// RingQueue: a run of bytes that may wrap at the end of the store is moved with at most two copies.

void RingQueue::put(const uint8_t *data, uint32_t len, uint32_t *stored, int32_t, int32_t, int32_t) {
    const uint32_t n = std::min(len, capacity_ - count_);
    const uint32_t first = std::min(n, capacity_ - write_);
    if (n > 0) {
        std::memcpy(store_.get() + write_, data, first);
        std::memcpy(store_.get(), data + first, n - first);
        write_ = (write_ + n) & (capacity_ - 1);
        count_ += n;
    }
    if (stored != nullptr)
        *stored = n;
}

void RingQueue::peek(const uint8_t **base, uint32_t *offset, uint32_t *len, int32_t *u1, int32_t *u2,
                     int32_t *u3) {
    if (base != nullptr)
        *base = store_.get();
    if (offset != nullptr)
        *offset = read_;
    if (len != nullptr)
        *len = count_;
    setUser(u1, 0);
    setUser(u2, 0);
    setUser(u3, 0);
}

void RingQueue::consume(uint32_t n) {
    n = std::min(n, count_); // never past what is held
    if (n == 0)
        return;
    read_ = (read_ + n) & (capacity_ - 1);
    count_ -= n;
}

void RingQueue::get(uint8_t *dst, uint32_t max, uint32_t *got, int32_t *u1, int32_t *u2, int32_t *u3) {
    const uint32_t n = std::min(max, count_);
    const uint32_t first = std::min(n, capacity_ - read_);
    if (n > 0) {
        std::memcpy(dst, store_.get() + read_, first);
        std::memcpy(dst + first, store_.get(), n - first);
        read_ = (read_ + n) & (capacity_ - 1);
        count_ -= n;
    }
    if (got != nullptr)
        *got = n;
    setUser(u1, 0);
    setUser(u2, 0);
    setUser(u3, 0);
}

void RingQueue::clear() {
    write_ = read_ = count_ = 0;
}

int32_t RingQueue::setCapacity(uint32_t n) {
    store_.reset();
    capacity_ = 0;
    clear();
    if (!isPowerOfTwo(n) || n > 0x40000000u)
        return 0;
    store_.reset(new (std::nothrow) uint8_t[n]);
    if (!store_)
        return 0;
    capacity_ = n;
    return 1;
}

// ---------------------------------------------------------------------------------------------------
// PacketQueue

void PacketQueue::put(const uint8_t *data, uint32_t len, uint32_t *stored, int32_t u1, int32_t u2,
                      int32_t u3) {
    if (stored != nullptr)
        *stored = 0;
    // A packet of no bytes would carry nothing and could hold up the send thread's wake-up.
    if (len == 0 || len > 0x7FFFFFFFu - total_)
        return;
    Packet p;
    p.data.reset(new (std::nothrow) uint8_t[len]);
    if (!p.data)
        return;
    std::memcpy(p.data.get(), data, len);
    p.length = p.remaining = len;
    p.u1 = u1;
    p.u2 = u2;
    p.u3 = u3;
    try {
        packets_.push_back(std::move(p));
    } catch (const std::bad_alloc &) {
        return;
    }
    total_ += len;
    if (stored != nullptr)
        *stored = len;
}

void PacketQueue::peek(const uint8_t **base, uint32_t *offset, uint32_t *len, int32_t *u1, int32_t *u2,
                       int32_t *u3) {
    if (packets_.empty()) {
        if (base != nullptr)
            *base = nullptr;
        if (offset != nullptr)
            *offset = 0;
        if (len != nullptr)
            *len = 0;
        return;
    }
    const Packet &p = packets_.front();
    if (base != nullptr)
        *base = p.data.get() + p.pos;
    if (offset != nullptr)
        *offset = 0;
    if (len != nullptr)
        *len = p.remaining;
    setUser(u1, p.u1);
    setUser(u2, p.u2);
    setUser(u3, p.u3);
}

void PacketQueue::consume(uint32_t n) {
    get(nullptr, n, nullptr, nullptr, nullptr, nullptr);
}

void PacketQueue::get(uint8_t *dst, uint32_t max, uint32_t *got, int32_t *u1, int32_t *u2, int32_t *u3) {
    if (got != nullptr)
        *got = 0;
    if (packets_.empty())
        return;
    Packet &p = packets_.front();
    const uint32_t n = std::min(max, p.remaining);
    if (dst != nullptr)
        std::memcpy(dst, p.data.get() + p.pos, n);
    p.pos += n;
    p.remaining -= n;
    total_ -= n;
    if (got != nullptr)
        *got = n;
    setUser(u1, p.u1);
    setUser(u2, p.u2);
    setUser(u3, p.u3);
    if (p.remaining == 0)
        packets_.pop_front();
}

void PacketQueue::clear() {
    packets_.clear();
    total_ = 0;
}

// ---------------------------------------------------------------------------------------------------

std::unique_ptr<PortQueue> makeQueue(int type, uint32_t ringBytes) {
    if (type == kRingQueue) {
        auto ring = std::unique_ptr<RingQueue>(new (std::nothrow) RingQueue);
        if (!ring || ring->setCapacity(ringBytes) == 0)
            return nullptr;
        return ring;
    }
    if (type == kPacketQueue)
        return std::unique_ptr<PacketQueue>(new (std::nothrow) PacketQueue);
    return nullptr;
}

} // namespace ptl
