// Figures for the HTTP helper and the version key's digest: the seconds
// HttpGetToFile takes for a loopback body, and Md5OfFile (the digest behind
// LocalVersionKey) for the file it wrote. scripts/bench.sh sets them beside
// curl and md5sum on the same bytes. Prints "name seconds" lines.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>
#include <cstdio>
#include <cwchar>
#include <string>

#include "common/portal.h"
#include "downloads/http.h"
#include "downloads/md5_file.h"

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
    const std::size_t chunk = argc > 3 ? std::wcstoul(argv[3], nullptr, 10) : 512;
    const std::wstring url = ovn::portal::ServiceUrl(L"/blob.bin?size=" + bytes);
    // One warm-up: the portal builds the body once, and Wine maps its libraries.
    ovn::downloads::HttpGetToFile(url, file, chunk, true);
    // The median of three of each: other work on the machine shows in single runs.
    bool ok = true;
    std::optional<std::wstring> digest;
    std::vector<double> gets, md5s;
    for (int run = 0; run < 3; ++run) {
        gets.push_back(Seconds([&] { ok = ovn::downloads::HttpGetToFile(url, file, chunk, true) && ok; }));
        md5s.push_back(Seconds([&] { digest = ovn::downloads::Md5OfFile(file); }));
    }
    std::sort(gets.begin(), gets.end());
    std::sort(md5s.begin(), md5s.end());
    const double get = gets[1], md5 = md5s[1];
    std::printf("http_get_to_file %s %.3f\n", ok ? "ok" : "failed", get);
    std::printf("md5_of_file %ls %.3f\n", digest ? digest->c_str() : L"failed", md5);
    return ok && digest ? 0 : 1;
}
