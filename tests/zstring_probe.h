// A ZString that lets tests read (and, for fault cases, set) its protected fields and check
// the class invariants.
#ifndef ZSTARTUP_TESTS_ZSTRING_PROBE_H
#define ZSTARTUP_TESTS_ZSTRING_PROBE_H

#include <gtest/gtest.h>

#include <cstring>

#include "foundation/zstring.h"

class ZStringProbe : public ZString {
public:
    using ZString::ZString;
    ZStringProbe() = default;
    ZStringProbe(const ZString& other) : ZString(other) {}

    int Capacity() const { return capacity; }
    int StoredLength() const { return length; }
    void SetFields(char* newBuffer, int newCapacity, int newLength)
    {
        buffer = newBuffer;
        capacity = newCapacity;
        length = newLength;
    }

    // capacity is 0 exactly when buffer is null; with a buffer, length < capacity and the
    // terminator stands at length.
    void ExpectInvariants() const
    {
        EXPECT_EQ(capacity == 0, buffer == nullptr);
        if (buffer != nullptr) {
            EXPECT_GE(length, 0);
            EXPECT_LT(length, capacity);
            if (length >= 0 && length < capacity) {
                EXPECT_EQ(buffer[length], 0);
            }
        }
    }
};

#endif
