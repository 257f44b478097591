#pragma once

#include <functional>

namespace brevik2::engine {

// What the metrics read from the station itself at each scrape: whether the unit answers and
// the seconds between polls. Both are called on the web server's threads.
struct MetricsLiveValues {
    std::function<bool()> online;
    std::function<int()> samplingInterval;
};

}  // namespace brevik2::engine
