// The project's own web page, named in the About box: the one place to
// change it.
#pragma once

#define VARNICK_PAGE_URL "https://varnick.example/"
#define VARNICK_LINK_TEXT "varnick.example"
