// Fuzzes the three catalogue section readers of avatar.dat, then the finds over what they
// read; the tables written back out read in again unchanged.
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueWriter.h"
#include "test_support/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <span>

using likenex::fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> file(data, size);
    likenex::Catalogue catalogue;
    bool section1 = catalogue.readCatalogueSection1(file);
    bool bodyParts = catalogue.readBodyParts(file);
    bool items = catalogue.readItems(file);
    check(size >= 12 || !items, "items without a header");

    const likenex::CatalogueTables& t = catalogue.tables();
    for (const likenex::LayerOption& o : t.layerOptions) {
        const likenex::LayerOption* found = catalogue.findLayerOption(o.optionNumber, o.faceLayer);
        check(found == nullptr || (found->optionNumber == o.optionNumber && found->availability != 0),
              "layer option find");
    }
    std::size_t images = 0;
    for (const likenex::Action& a : t.actions) {
        const likenex::Action* found = catalogue.findAction(a.identifier);
        check(found != nullptr && found->identifier == a.identifier, "action find");
        for (const likenex::ActionFrame& f : a.frames) images += f.images.size() + f.layers.size();
    }
    check(images * likenex::kFrameImageSize <= size * 2, "more pictures than bytes could hold");
    for (const likenex::BodyPart& p : t.bodyParts) {
        const likenex::BodyPart* found = catalogue.findBodyPart(p.identifier);
        check((p.identifier == 0) == (found == nullptr), "body part find");
    }
    for (const likenex::Item& item : t.items) {
        const likenex::Item* found = catalogue.findItem(item.identifier);
        check((item.identifier == 0) == (found == nullptr), "item find");
    }

    if (auto encoded = likenex::encodeAvatarData(t)) {
        likenex::Catalogue again;
        check(again.readCatalogueSection1(*encoded) && again.readBodyParts(*encoded) && again.readItems(*encoded),
              "written catalogue reads");
        check(again.tables() == t, "catalogue round trip");
    }
    (void)section1;
    (void)bodyParts;
    return 0;
}
