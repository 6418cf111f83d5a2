// The facts of every layer of bars along a face, as the crack spacing and the steel checks use
// them: the bar's area and diameter, the spacing (given, or the layer's length over the count), the
// cover to the bar's centre, the young concrete's depth square to the face (its bounding box) and
// the layer's mean height. Layers on lines (x = / y =) have no face and are left out.

#include <algorithm>

#include "prepare/prepare.hpp"

namespace tc::prepare {

std::vector<LayerFacts> FaceLayers(const Description& d) {
    double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
    for (const Part& p : d.parts) {
        if (!p.young) continue;
        x0 = std::min(x0, p.x0);
        x1 = std::max(x1, p.x1);
        y0 = std::min(y0, p.y0);
        y1 = std::max(y1, p.y1);
    }
    std::vector<LayerFacts> layers;
    for (const BarLayer& b : d.bars) {
        using W = BarLayer::Where;
        if (b.where == W::LineX || b.where == W::LineY) continue;
        const bool vertical = b.where == W::Left || b.where == W::Right;
        LayerFacts f;
        f.face = b.where == W::Left ? "left" : b.where == W::Right ? "right" : b.where == W::Bottom ? "bottom" : "top";
        f.barArea = b.area;
        f.diameter = b.diameter;
        f.cover = b.cover;
        f.thickness = vertical ? x1 - x0 : y1 - y0;
        const double length = b.ranged ? b.high - b.low : (vertical ? y1 - y0 : x1 - x0);
        f.spacing = b.spacing > 0.0 ? b.spacing : length / b.count;
        if (vertical) f.height = b.ranged ? (b.low + b.high) / 2.0 : (y0 + y1) / 2.0;
        else f.height = b.where == W::Bottom ? y0 + b.cover : y1 - b.cover;
        CrackSpacing(f);
        layers.push_back(f);
    }
    return layers;
}

}  // namespace tc::prepare
