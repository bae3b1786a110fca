#include "app/ui/concordancer_app.h"

wxIMPLEMENT_APP(zorvia::CConcordancerApp);
