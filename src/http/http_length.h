// An HTTP answer's body against the length its header announced, for every
// client of the program (the download helper and the plain web engine): reads
// never go past the announced length, and a body that goes on past it is a
// failure, not a longer success. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ovn::http {

// Reads a Content-Length header's value: decimal digits only, 64 bits.
std::optional<std::uint64_t> ParseContentLength(std::wstring_view text);

// How many bytes the next read may ask for: want, but no further than the
// announced length. 0 once the announced bytes are all there; the caller then
// reads once more into a scratch byte to learn whether the server sends more.
std::size_t ReadAllowance(std::uint64_t received, std::uint64_t announced, std::size_t want);

// The next read's size: a read that filled what it asked for at once (a fast
// link) doubles it, up to the buffer; one that waited (a slow link, which should
// still show progress) halves it, never below chunk. Times in milliseconds.
std::size_t NextReadSize(std::size_t want, std::size_t got, std::uint64_t tookMs, std::size_t chunk,
                         std::size_t buffer);

// How a body ended: every announced byte and nothing after them, fewer, or more
// (the bytes past the length were never taken).
enum class BodyEnd { Complete, Short, Overlong };
BodyEnd JudgeBody(std::uint64_t received, std::uint64_t announced, bool moreAfterLength);

}  // namespace ovn::http
