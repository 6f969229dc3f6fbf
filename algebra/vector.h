#ifndef NLDIFF_ALGEBRA_VECTOR_H
#define NLDIFF_ALGEBRA_VECTOR_H

#include <cassert>
#include <cstddef>
#include <cstring>

namespace MathTL {

// An owning array of numbers with its size. Every element access checks its index; the
// checks are assertions that stay active in every build of the tool.
template <class C> class Vector {
public:
    Vector() : values_(nullptr), size_(0) {}

    Vector(size_t s, bool initialize) : values_(nullptr), size_(0) { resize(s, initialize); }

    // A copy owns an array of its own.
    Vector(const Vector<C>& v) : values_(nullptr), size_(0) { *this = v; }

    virtual ~Vector() { release(); }

    size_t size() const { return size_; }

    // The elements as one array, for block transfers; the caller checks its range against
    // size() once, before the block.
    const C* data() const { return values_; }
    C* data() { return values_; }

    const C& operator[](size_t i) const {
        assert(i < size_);
        return values_[i];
    }
    C& operator[](size_t i) {
        assert(i < size_);
        return values_[i];
    }
    const C& operator()(size_t i) const {
        assert(i < size_);
        return values_[i];
    }
    C& operator()(size_t i) {
        assert(i < size_);
        return values_[i];
    }

    Vector<C>& operator=(const C c) {
        assert(size() > 0);
        for (size_t i = 0; i < size_; ++i) {
            values_[i] = c;
        }
        return *this;
    }

    Vector<C>& operator=(const Vector<C>& v) {
        if (this != &v) {
            resize(v.size(), false);
            if (size_ > 0) {
                std::memcpy(values_, v.values_, size_ * sizeof(C));
            }
        }
        return *this;
    }

    // Keeps the contents when the size stays; otherwise the new elements are undefined
    // unless initialize asks for zeros.
    void resize(size_t s, bool initialize) {
        if (s == 0) {
            release();
            return;
        }
        if (s != size_) {
            release();
            values_ = new C[s];
            size_ = s;
        }
        if (initialize) {
            *this = C(0);
        }
    }

    template <class C2> void add(const Vector<C2>& v) {
        assert(size_ > 0);
        assert(size_ == v.size());
        for (size_t i = 0; i < size_; ++i) {
            values_[i] += v[i];
        }
    }

protected:
    C* values_;
    size_t size_;

private:
    void release() {
        delete[] values_;
        values_ = nullptr;
        size_ = 0;
    }
};

} // namespace MathTL

#endif
