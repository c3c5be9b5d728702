#include "game/show/AnswerMatch.h"

#include <algorithm>
#include <vector>

float AnswerDistance(TString a, TString b)
{
    a.ToLower();
    b.ToLower();
    const uint32_t m = a.Length(), n = b.Length();
    // (m + 1) x (n + 1) table, row by row.
    std::vector<float> d(size_t(m + 1) * (n + 1));
    auto at = [&](uint32_t i, uint32_t j) -> float& { return d[size_t(i) * (n + 1) + j]; };
    for (uint32_t i = 0; i <= m; ++i)
        at(i, 0) = float(i);
    for (uint32_t j = 0; j <= n; ++j)
        at(0, j) = float(j);
    for (uint32_t i = 1; i <= m; ++i) {
        for (uint32_t j = 1; j <= n; ++j) {
            const float cost = a[i - 1] == b[j - 1] ? 0.0f : 1.0f;
            float best = std::min({at(i - 1, j - 1) + cost, at(i, j - 1) + 1.0f, at(i - 1, j) + 1.0f});
            if (i >= 2 && j >= 2 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                best = std::min(best, at(i - 2, j - 2) + cost);
            at(i, j) = best;
        }
    }
    return at(m, n);
}

bool AnswerMatches(TString typed, TString reference)
{
    const uint32_t threshold = std::min(typed.Length(), reference.Length()) / 3;
    return AnswerDistance(typed, reference) <= float(threshold);
}
