// Costs of the foundation routines that run on every game step.
#include "Matrix.h"
#include "Utilities.h"

#include <benchmark/benchmark.h>

static void BM_CheckCollisionHit(benchmark::State &state)
{
    AABB block{0, 6, 0, 6, 0, 6};
    AABB from{6.5f, 8, 0, 5.6f, 2, 3.5f};
    AABB to{5.8f, 7.3f, -0.1f, 5.5f, 2.1f, 3.6f};
    for (auto _ : state) {
        Vector out{0, 0, 0};
        benchmark::DoNotOptimize(checkCollision(from, to, block, &out));
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_CheckCollisionHit);

static void BM_MatrixMultiply(benchmark::State &state)
{
    Matrix a, b;
    MatrixInit(&a);
    MatrixInit(&b);
    MatrixRotate(&a, 30, 0, 1, 0);
    MatrixTranslate(&b, 1, 2, 3);
    for (auto _ : state) {
        MatrixMultiply(&a, &b, &a);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_MatrixMultiply);
