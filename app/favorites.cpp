#include "favorites.h"

void OpenFavorites() {}
