// Byte queues of the threaded ports: the send queue between the caller and the send thread, the receive
// queue between the receive thread and the caller. Portable: no Windows headers, no locking (the engine
// holds its send or receive lock around every call).
//
//   RingQueue   (queue type 0): fixed power-of-two store, partial puts when full, no user values.
//   PacketQueue (queue type 1): unbounded, one packet per put, keeps each put's three user values and
//                               never hands out bytes of two packets in one get.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

namespace ptl {

class PortQueue {
public:
    PortQueue() = default;
    PortQueue(const PortQueue &) = delete;
    PortQueue &operator=(const PortQueue &) = delete;
    virtual ~PortQueue() = default;

    // Appends data; *stored = bytes accepted (may be less than len for a bounded queue).
    virtual void put(const uint8_t *data, uint32_t len, uint32_t *stored, int32_t u1, int32_t u2,
                     int32_t u3) = 0;
    // Describes the next readable run without removing it; the u outputs may be null.
    virtual void peek(const uint8_t **base, uint32_t *offset, uint32_t *len, int32_t *u1, int32_t *u2,
                      int32_t *u3) = 0;
    // Drops up to n bytes from the front.
    virtual void consume(uint32_t n) = 0;
    // Copies up to max bytes from the front into dst and drops them; the u outputs may be null.
    virtual void get(uint8_t *dst, uint32_t max, uint32_t *got, int32_t *u1, int32_t *u2, int32_t *u3) = 0;
    virtual void clear() = 0;
    // Bytes held.
    virtual int32_t count() const = 0;
    // Bytes that still fit; -1 for an unbounded queue.
    virtual int32_t freeSpace() const = 0;
    // Total size; -1 for an unbounded queue.
    virtual int32_t capacity() const = 0;
    // (Re)allocates the store and empties the queue; a ring answers non-zero when its store was made.
    virtual int32_t setCapacity(uint32_t n) = 0;
};

class RingQueue final : public PortQueue {
public:
    RingQueue() = default;

    void put(const uint8_t *data, uint32_t len, uint32_t *stored, int32_t u1, int32_t u2,
             int32_t u3) override;
    void peek(const uint8_t **base, uint32_t *offset, uint32_t *len, int32_t *u1, int32_t *u2,
              int32_t *u3) override;
    void consume(uint32_t n) override;
    void get(uint8_t *dst, uint32_t max, uint32_t *got, int32_t *u1, int32_t *u2, int32_t *u3) override;
    void clear() override;
    int32_t count() const override { return static_cast<int32_t>(count_); }
    int32_t freeSpace() const override { return static_cast<int32_t>(capacity_ - count_); }
    int32_t capacity() const override { return static_cast<int32_t>(capacity_); }
    // Indices are masked with n - 1, so n must be a power of two (and fit an int32): any other value, or
    // a store that cannot be had, leaves a ring of capacity 0 and returns 0.
    int32_t setCapacity(uint32_t n) override;

private:
    std::unique_ptr<uint8_t[]> store_;
    uint32_t write_ = 0;
    uint32_t read_ = 0;
    uint32_t count_ = 0;
    uint32_t capacity_ = 0;
};

class PacketQueue final : public PortQueue {
public:
    PacketQueue() = default;

    // Takes the whole block as one packet (*stored = len), or nothing when memory for it cannot be had.
    // An empty block makes no packet.
    void put(const uint8_t *data, uint32_t len, uint32_t *stored, int32_t u1, int32_t u2,
             int32_t u3) override;
    void peek(const uint8_t **base, uint32_t *offset, uint32_t *len, int32_t *u1, int32_t *u2,
              int32_t *u3) override;
    void consume(uint32_t n) override;
    // Bytes of the front packet only, with that packet's user values.
    void get(uint8_t *dst, uint32_t max, uint32_t *got, int32_t *u1, int32_t *u2, int32_t *u3) override;
    void clear() override;
    int32_t count() const override { return static_cast<int32_t>(total_); }
    int32_t freeSpace() const override { return -1; }
    int32_t capacity() const override { return -1; }
    int32_t setCapacity(uint32_t) override { return 0; }

    // Packets held (for tests and diagnostics).
    size_t packets() const { return packets_.size(); }

private:
    struct Packet {
        std::unique_ptr<uint8_t[]> data;
        uint32_t length = 0;
        uint32_t remaining = 0;
        uint32_t pos = 0;
        int32_t u1 = 0, u2 = 0, u3 = 0;
    };
    std::deque<Packet> packets_;
    uint32_t total_ = 0;
};

// Queue type codes of the engine.
constexpr int kRingQueue = 0;
constexpr int kPacketQueue = 1;

// A new empty queue of the given type, or null for an unknown type. A ring gets its store of ringBytes
// bytes; null when that store cannot be had.
std::unique_ptr<PortQueue> makeQueue(int type, uint32_t ringBytes);

} // namespace ptl
