#pragma once
// A frame of the test actions: the head layer alone, placed where the tests' solid sprites
// (test_support) land inside the frame canvas.

#include "catalogue/CatalogueRecords.h"

namespace likenex::testing {

inline ActionFrame headFrame(int duration, int headImage) {
    ActionFrame f;
    f.duration = duration;
    f.layers[0].imageNumber = headImage;
    f.layers[0].x = 104;
    f.layers[0].y = 109;
    return f;
}

}  // namespace likenex::testing
