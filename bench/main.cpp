// The benchmark program's entry: runs every registered benchmark (Google Benchmark flags
// apply, e.g. --benchmark_filter, --benchmark_repetitions) and then prints three tables:
//  1. for each workload and size, this library's time, each peer's time (fastest first) and the
//     ratio ours / peer (the fastest peer marked *), with the library's allocator requests and
//     heap peak;
//  2. ours / best peer, one line per workload and size;
//  3. the scaling of the library's workloads that report a heap peak: time / n^3 and the peak,
//     for n >= 64.
// Implementations named "ours-..." are other forms of the library's own code, not peers.
//
// Times are CPU nanoseconds per iteration; with repetitions the median is used.
#include "common.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>

#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Key {
    std::string workload;
    long size;
    bool operator<(const Key& o) const { return std::tie(workload, size) < std::tie(o.workload, o.size); }
};

struct Cell {
    double ns = 0.0;
    double allocs = -1.0;
    double peak = -1.0; // bytes
};

bool isPeer(const std::string& impl) { return impl != "ours" && impl.rfind("ours-", 0) != 0; }

// Collects the time of every benchmark (its median when repeated) while the console reporter
// prints the usual lines.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            const bool repeated = r.repetitions > 1;
            if (repeated ? (r.run_type != Run::RT_Aggregate || r.aggregate_name != "median")
                         : r.run_type != Run::RT_Iteration) {
                continue;
            }
            if (r.error_occurred) {
                continue;
            }
            record(r);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Rows by workload in registration order (the run itself is interleaved), then by size.
    void sortRows()
    {
        const std::vector<std::string>& order = orbbench::workloadOrder();
        const auto rank = [&](const std::string& w) {
            return std::find(order.begin(), order.end(), w) - order.begin();
        };
        std::stable_sort(order_.begin(), order_.end(), [&](const Key& a, const Key& b) {
            return std::make_pair(rank(a.workload), a.size) < std::make_pair(rank(b.workload), b.size);
        });
    }

    void printTable() const
    {
        std::printf("\n%-22s %6s %12s  %-30s %12s %10s %7s %10s\n", "workload", "size", "ours", "peer (* fastest)",
                    "peer time", "ours/peer", "allocs", "peak");
        std::printf("%s\n", std::string(117, '-').c_str());
        for (const Key& k : order_) {
            const auto& impls = cells_.at(k);
            const Cell ours = oursOf(k);
            const std::string best = bestPeer(k);
            bool first = true;
            std::vector<std::string> peers = implOrder_.at(k); // fastest first
            std::stable_sort(peers.begin(), peers.end(),
                             [&](const std::string& x, const std::string& y) { return impls.at(x).ns < impls.at(y).ns; });
            for (const std::string& impl : peers) {
                if (impl == "ours") {
                    continue;
                }
                const Cell& c = impls.at(impl);
                printRow(first, k, ours, (impl == best ? "*" : " ") + impl, c.ns);
                first = false;
            }
            if (first) { // no peer: ours alone
                printRow(true, k, ours, " -", -1.0);
            }
        }

        std::printf("\n%-22s %6s %12s  %-30s %12s %10s\n", "workload", "size", "ours", "best peer", "its time",
                    "ours/best");
        std::printf("%s\n", std::string(98, '-').c_str());
        for (const Key& k : order_) {
            const std::string best = bestPeer(k);
            const Cell ours = oursOf(k);
            if (best.empty() || ours.ns < 0.0) {
                continue;
            }
            const double peerNs = cells_.at(k).at(best).ns;
            std::printf("%-22s %6ld %12s  %-30s %12s %10s\n", k.workload.c_str(), k.size, time(ours.ns).c_str(),
                        best.c_str(), time(peerNs).c_str(), fmt("%.2f", ours.ns / peerNs).c_str());
        }

        std::printf("\n%-22s %6s %12s %14s %12s %14s\n", "scaling (ours)", "n", "time", "time/n^3", "peak",
                    "peak/(8n^2 B)");
        std::printf("%s\n", std::string(85, '-').c_str());
        for (const Key& k : order_) {
            const Cell ours = oursOf(k);
            if (k.size < 64 || ours.ns < 0.0 || ours.peak < 0.0) {
                continue;
            }
            const double n = static_cast<double>(k.size);
            std::printf("%-22s %6ld %12s %11.0f ps %9.0f KiB %14.2f\n", k.workload.c_str(), k.size,
                        time(ours.ns).c_str(), ours.ns * 1e3 / (n * n * n), ours.peak / 1024.0,
                        ours.peak / (8.0 * n * n));
        }
    }

private:
    Cell oursOf(const Key& k) const
    {
        const auto& impls = cells_.at(k);
        const auto it = impls.find("ours");
        return it == impls.end() ? Cell{-1.0, -1.0, -1.0} : it->second;
    }

    // The fastest peer of a row (empty if none).
    std::string bestPeer(const Key& k) const
    {
        std::string best;
        double bestNs = 0.0;
        for (const auto& [impl, c] : cells_.at(k)) {
            if (isPeer(impl) && c.ns > 0.0 && (best.empty() || c.ns < bestNs)) {
                best = impl;
                bestNs = c.ns;
            }
        }
        return best;
    }

    void printRow(bool first, const Key& k, const Cell& ours, const std::string& impl, double peerNs) const
    {
        const std::string ratio = ours.ns >= 0.0 && peerNs > 0.0 ? fmt("%.2f", ours.ns / peerNs) : "-";
        const std::string allocs = first && ours.allocs >= 0.0 ? fmt("%.2f", ours.allocs) : "";
        const std::string peak = first && ours.peak >= 0.0 ? bytes(ours.peak) : "";
        std::printf("%-22s %6s %12s  %-30s %12s %10s %7s %10s\n", first ? k.workload.c_str() : "",
                    first ? std::to_string(k.size).c_str() : "", first ? time(ours.ns).c_str() : "", impl.c_str(),
                    time(peerNs).c_str(), ratio.c_str(), allocs.c_str(), peak.c_str());
    }

    static std::string bytes(double b)
    {
        if (b < 1024.0) {
            return fmt("%.0f B", b);
        }
        if (b < 1024.0 * 1024.0) {
            return fmt("%.1f KiB", b / 1024.0);
        }
        return fmt("%.1f MiB", b / (1024.0 * 1024.0));
    }

    static std::string fmt(const char* f, double v)
    {
        char buf[64];
        std::snprintf(buf, sizeof buf, f, v);
        return buf;
    }

    static std::string time(double ns)
    {
        if (ns < 0.0) {
            return "-";
        }
        if (ns < 1e3) {
            return fmt("%.1f ns", ns);
        }
        if (ns < 1e6) {
            return fmt("%.2f us", ns / 1e3);
        }
        if (ns < 1e9) {
            return fmt("%.2f ms", ns / 1e6);
        }
        return fmt("%.2f s", ns / 1e9);
    }

    void record(const Run& r)
    {
        // Names are workload/impl/size.
        const std::string& name = r.run_name.function_name;
        const size_t a = name.find('/');
        const size_t b = name.rfind('/');
        if (a == std::string::npos || b == a) {
            return;
        }
        const Key k{name.substr(0, a), std::stol(name.substr(b + 1))};
        const std::string impl = name.substr(a + 1, b - a - 1);
        double ns = r.GetAdjustedCPUTime();
        switch (r.time_unit) {
        case benchmark::kSecond: ns *= 1e9; break;
        case benchmark::kMillisecond: ns *= 1e6; break;
        case benchmark::kMicrosecond: ns *= 1e3; break;
        default: break;
        }
        Cell c;
        c.ns = ns;
        const auto it = r.counters.find("allocs");
        if (it != r.counters.end()) {
            c.allocs = it->second.value;
        }
        const auto peak = r.counters.find("peak");
        if (peak != r.counters.end()) {
            c.peak = peak->second.value;
        }
        if (cells_.find(k) == cells_.end()) {
            order_.push_back(k);
        }
        auto& impls = cells_[k];
        if (impls.find(impl) == impls.end()) {
            implOrder_[k].push_back(impl);
        }
        impls[impl] = c;
    }

    std::vector<Key> order_;
    std::map<Key, std::map<std::string, Cell>> cells_;
    std::map<Key, std::vector<std::string>> implOrder_;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.sortRows();
    reporter.printTable();
    benchmark::Shutdown();
    return 0;
}
