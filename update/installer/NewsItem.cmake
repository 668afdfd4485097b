# Writes the release's line for the server's news.tsv (cmake -P): the date in UTC, the title,
# the link (a path on the server's own site) and the item's HTML, separated by tabs.
#   OUTPUT   the file to write
#   VERSION  the version the release brings
foreach(name OUTPUT VERSION)
  if(NOT DEFINED ${name} OR "${${name}}" STREQUAL "")
    message(FATAL_ERROR "NewsItem: ${name} is not set")
  endif()
endforeach()
string(TIMESTAMP now "%Y-%m-%dT%H:%M:%SZ" UTC)
file(WRITE ${OUTPUT} "${now}\tLikenex ${VERSION}\t/\t<p>Likenex ${VERSION} is here. The editor offers it at its next start.</p>\n")
