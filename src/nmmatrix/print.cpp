// cxNMMatrix::print: the matrix as text on standard output.
//
// The text is formatted into a local buffer and written to the descriptor of stdout after
// the stream has been flushed. The stream's orientation is neither needed nor changed, so
// the matrix appears in order after whatever the caller wrote before, narrow or wide, and
// the caller's later output works as before.
#include "nmmatrix/internal.hpp"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

void writeAll(int fd, const char* text, size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, text, length);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return; // nothing sensible to report: print always succeeds
        }
        text += n;
        length -= static_cast<size_t>(n);
    }
}

} // namespace

long cxNMMatrix::print() const
{
    if (rows_ < 1 || m_ == nullptr) {
        return 0;
    }
    std::fflush(stdout);
    const int fd = fileno(stdout);
    char buffer[4096];
    size_t used = 0;
    // One "%10g " field is at most 14 characters ("-1.23457e+308 ").
    constexpr size_t kReserve = 64;
    for (int i = 0; i < rows_; ++i) {
        const double* row = m_[i];
        for (int j = 0; j < cols_; ++j) {
            if (used > sizeof buffer - kReserve) {
                writeAll(fd, buffer, used);
                used = 0;
            }
            const int n = std::snprintf(buffer + used, sizeof buffer - used, "%10g ", row[j]);
            if (n > 0) {
                used += static_cast<size_t>(n);
            }
        }
        buffer[used++] = '\n';
    }
    writeAll(fd, buffer, used);
    return 0;
}
