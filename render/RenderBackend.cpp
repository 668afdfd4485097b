#include "render/RenderBackend.h"

namespace likenex {

RenderBackend::~RenderBackend() = default;

}  // namespace likenex
