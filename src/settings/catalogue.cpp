// PLACEHOLDER - replaced by the catalogue implementation.
#include "settings/catalogue.h"
namespace pixmera {
void build_catalogue() {}
std::string catalogue_text(std::string_view, std::string_view) { return std::string(kNoStringError); }
}  // namespace pixmera
