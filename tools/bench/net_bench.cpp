// Figures for the HTTP helper and the version key's digest: the seconds
// HttpGetToFile takes for a loopback body, and Md5OfFile (the digest behind
// LocalVersionKey) for the file it wrote. scripts/bench.sh sets them beside
// curl and md5sum on the same bytes. Prints "name seconds" lines.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "common/portal.h"
#include "net/http.h"
#include "net/md5_file.h"

namespace {

template <typename F>
double Seconds(F&& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: ovn_net_bench BYTES OUTPUT_FILE\n");
        return 2;
    }
    const std::wstring bytes = argv[1], file = argv[2];
    const std::wstring url = ovn::portal::ServiceUrl(L"/blob.bin?size=" + bytes);
    // One warm-up: the portal builds the body once, and Wine maps its libraries.
    ovn::net::HttpGetToFile(url, file, 512, true);
    bool ok = true;
    double get = Seconds([&] { ok = ovn::net::HttpGetToFile(url, file, 512, true); });
    std::optional<std::wstring> digest;
    double md5 = Seconds([&] { digest = ovn::net::Md5OfFile(file); });
    std::printf("http_get_to_file %s %.3f\n", ok ? "ok" : "failed", get);
    std::printf("md5_of_file %ls %.3f\n", digest ? digest->c_str() : L"failed", md5);
    return ok && digest ? 0 : 1;
}
