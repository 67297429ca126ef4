#pragma once
// Arrays with declared lower and upper bounds, as the game's state is declared
// (PieceX runs over piece numbers -4..20, for example). An index outside the
// declared extent is a bug in the caller: it is reported on stderr and the
// program stops, rather than reading or writing memory that is not the array's.

#include <array>
#include <cstdio>
#include <cstdlib>

namespace platform {

[[noreturn]] inline void IndexOutOfRange(const char* what, int index, int lo, int hi) {
    std::fprintf(stderr, "zam: %s index %d outside its declared bounds %d..%d\n", what, index, lo, hi);
    std::abort();
}

template <class T, int Lo, int Hi> class Array1D {
public:
    static_assert(Lo <= Hi);

    T& operator()(int i) { return items_[Offset(i)]; }
    const T& operator()(int i) const { return items_[Offset(i)]; }

private:
    static std::size_t Offset(int i) {
        if (i < Lo || i > Hi)
            IndexOutOfRange("array", i, Lo, Hi);
        return static_cast<std::size_t>(i - Lo);
    }

    std::array<T, Hi - Lo + 1> items_{};
};

template <class T, int Lo1, int Hi1, int Lo2, int Hi2> class Array2D {
public:
    static_assert(Lo1 <= Hi1 && Lo2 <= Hi2);

    T& operator()(int i, int j) { return items_[Offset(i, j)]; }
    const T& operator()(int i, int j) const { return items_[Offset(i, j)]; }

private:
    static constexpr int Rows = Hi2 - Lo2 + 1;

    static std::size_t Offset(int i, int j) {
        if (i < Lo1 || i > Hi1)
            IndexOutOfRange("first", i, Lo1, Hi1);
        if (j < Lo2 || j > Hi2)
            IndexOutOfRange("second", j, Lo2, Hi2);
        return static_cast<std::size_t>((i - Lo1) * Rows + (j - Lo2));
    }

    std::array<T, (Hi1 - Lo1 + 1) * (Hi2 - Lo2 + 1)> items_{};
};

}  // namespace platform
