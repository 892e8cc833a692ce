#pragma once
// Turns a manual written in plain Markdown (as docs/cli.md is) into a man page, so that
// the manual has one source. The Markdown understood: "# name" first, "##" sections,
// "###" subsections, paragraphs, `code` and *emphasis*, indented code blocks, "- " lists
// and definition lists (a term line, then ":   " and the definition).

#include <string>
#include <string_view>

#include "model/result.h"

namespace tw::manpage {

/// The man page (section 1) of a manual; version names the release in the page's
/// footer. Markup outside the subset above fails with the first line of its block, so
/// that a manual never loses text silently in its man page.
Result<std::string> markdownToMan(std::string_view markdown, std::string_view version);

}  // namespace tw::manpage
