#include "render/RenderContext.h"

#include "render/RenderBackend.h"

namespace likenex {

RenderContext::RenderContext() = default;

RenderContext::~RenderContext() { backEnd.reset(); }

}  // namespace likenex
