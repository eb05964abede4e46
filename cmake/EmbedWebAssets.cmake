# Writes OUTPUT, a C++ file holding the files of ASSET_DIR as byte arrays with their paths and media
# types, so that the server has its page without a path on disk. Run by `cmake -P` at build time.
file(GLOB assets RELATIVE ${ASSET_DIR} ${ASSET_DIR}/*.html ${ASSET_DIR}/*.js ${ASSET_DIR}/*.css)
list(SORT assets)
set(arrays "")
set(rows "")
set(index 0)
foreach(asset ${assets})
  file(READ ${ASSET_DIR}/${asset} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  if(asset MATCHES "\\.html$")
    set(type "text/html; charset=utf-8")
  elseif(asset MATCHES "\\.js$")
    set(type "text/javascript; charset=utf-8")
  else()
    set(type "text/css; charset=utf-8")
  endif()
  string(APPEND arrays "const unsigned char asset${index}[] = {${bytes}};\n")
  string(APPEND rows "        {\"/${asset}\", \"${type}\", asset${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new "// Generated from tools/kestrel/web by cmake/EmbedWebAssets.cmake.
#include \"web_assets.h\"

namespace kestrel::tool {
namespace {
${arrays}} // namespace

const std::vector<WebAsset>& webAssets() {
    static const std::vector<WebAsset> assets = {
${rows}    };
    return assets;
}

} // namespace kestrel::tool
")
# Unchanged assets leave the file's time alone, so that nothing is compiled again.
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
