#pragma once

#include <vector>

struct CGPoint {
    double x = 0, y = 0;
    bool operator==(const CGPoint&) const = default;
};

struct CGSize {
    double width = 0, height = 0;
    bool operator==(const CGSize&) const = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
    bool operator==(const CGRect&) const = default;
};

inline CGRect CGRectMake(double x, double y, double width, double height) {
    return {{x, y}, {width, height}};
}

// A colour usable by a layer: grey level and alpha, each 0 to 1.
struct CGColor {
    double white = 0, alpha = 1;
    bool operator==(const CGColor&) const = default;
};
