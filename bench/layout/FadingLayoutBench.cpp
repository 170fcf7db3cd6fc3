// The fading scroll view rebuilds its mask at every layout pass, which for a
// scroll view is every scroll step: this measures one such pass.
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/layers/CALayer.h"
#include "story/screens/FadingScrollView.h"

namespace {

void BM_FadingScrollViewLayoutPass(benchmark::State& state) {
    auto view = std::make_shared<FadingScrollView>();
    view->setFrame(CGRectMake(0, 0, 600, 400));
    view->setContentSize({600, static_cast<double>(state.range(0))});
    double offset = 0;
    for (auto _ : state) {
        offset = offset >= state.range(0) - 400 ? 0 : offset + 1;
        view->setContentOffset({0, offset});
        benchmark::DoNotOptimize(view->layer()->mask());
    }
    state.SetLabel("content height " + std::to_string(state.range(0)));
}

}  // namespace

// The work per pass must not depend on how much content the view holds.
BENCHMARK(BM_FadingScrollViewLayoutPass)->Arg(1000)->Arg(100000);

BENCHMARK_MAIN();
