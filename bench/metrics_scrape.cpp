// Scrapes a metrics endpoint one request after another and prints the time of one request:
//
//   build/bench/bench_metrics_scrape PORT [count]
//
// bench/run.sh scrape points it at brevik2-monitor --metrics and reads the monitor's CPU time
// around it.

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::size_t keep(char* data, std::size_t size, std::size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_metrics_scrape PORT [count]\n");
        return 2;
    }
    const std::string url = "http://127.0.0.1:" + std::string(argv[1]) + "/metrics";
    const int count = argc > 2 ? std::atoi(argv[2]) : 1000;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* curl = curl_easy_init();
    std::string body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keep);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
    // The endpoint closes every connection after its answer.
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);

    std::vector<double> ms;
    std::size_t bytes = 0;
    for (int i = 0; i < count; ++i) {
        body.clear();
        const auto start = std::chrono::steady_clock::now();
        const CURLcode result = curl_easy_perform(curl);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        if (result != CURLE_OK || status != 200) {
            std::fprintf(stderr, "scrape %d failed: %s, status %ld\n", i,
                         curl_easy_strerror(result), status);
            return 1;
        }
        bytes = body.size();
    }
    curl_easy_cleanup(curl);
    std::sort(ms.begin(), ms.end());
    double total = 0;
    for (const double m : ms) {
        total += m;
    }
    std::printf(
        "scrapes %d, %zu bytes each: mean %.3f ms, median %.3f ms, 99th %.3f ms, max %.3f ms\n",
        count, bytes, total / count, ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
    return 0;
}
