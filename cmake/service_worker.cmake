# SPDX-License-Identifier: Apache-2.0
# cmake -DTEMPLATE=web/sw.js -DOUTPUT=site/sw.js -DVERSION=2.0.0 -DFILES="a;b" -P service_worker.cmake:
# the page's service worker with its file list and a cache name that changes with any file.
set(digest_input "")
set(list "'./'")
foreach(file ${FILES})
  file(SHA256 ${file} sum)
  get_filename_component(name ${file} NAME)
  string(APPEND digest_input "${name} ${sum}\n")
  string(APPEND list ", '${name}'")
endforeach()
string(SHA256 digest "${digest_input}")
string(SUBSTRING ${digest} 0 12 digest)
file(READ ${TEMPLATE} text)
string(REPLACE "@CACHE_NAME@" "vireotool-4-web-${VERSION}-${digest}" text "${text}")
string(REPLACE "@FILE_LIST@" "${list}" text "${text}")
file(WRITE ${OUTPUT} "${text}")
