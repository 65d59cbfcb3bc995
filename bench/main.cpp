// The benchmark program's entry: runs every registered benchmark (Google Benchmark flags
// apply, e.g. --benchmark_filter, --benchmark_repetitions) and then prints one table: for each
// workload and size, this library's time, each peer's time and the ratio ours / peer.
//
// Times are CPU nanoseconds per iteration; with repetitions the median is used.
#include <benchmark/benchmark.h>

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
};

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

    void printTable() const
    {
        std::printf("\n%-22s %6s %12s  %-20s %12s %10s %8s\n", "workload", "size", "ours", "peer", "peer time",
                    "ours/peer", "allocs");
        std::printf("%s\n", std::string(98, '-').c_str());
        for (const Key& k : order_) {
            const auto& impls = cells_.at(k);
            const auto ours = impls.find("ours");
            const double oursNs = ours == impls.end() ? -1.0 : ours->second.ns;
            const double oursAllocs = ours == impls.end() ? -1.0 : ours->second.allocs;
            bool first = true;
            for (const std::string& impl : implOrder_.at(k)) {
                if (impl == "ours") {
                    continue;
                }
                const Cell& c = impls.at(impl);
                const std::string ratio = oursNs >= 0.0 && c.ns > 0.0 ? fmt("%.2f", oursNs / c.ns) : "-";
                const std::string allocs = first && oursAllocs >= 0.0 ? fmt("%.2f", oursAllocs) : "";
                std::printf("%-22s %6s %12s  %-20s %12s %10s %8s\n", first ? k.workload.c_str() : "",
                            first ? std::to_string(k.size).c_str() : "", first ? time(oursNs).c_str() : "",
                            impl.c_str(), time(c.ns).c_str(), ratio.c_str(), allocs.c_str());
                first = false;
            }
            if (first) { // no peer: ours alone
                std::printf("%-22s %6ld %12s  %-20s %12s %10s %8s\n", k.workload.c_str(), k.size,
                            time(oursNs).c_str(), "-", "-", "-",
                            oursAllocs >= 0.0 ? fmt("%.2f", oursAllocs).c_str() : "");
            }
        }
    }

private:
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
    reporter.printTable();
    benchmark::Shutdown();
    return 0;
}
