# Authenticode-signs one Windows file in place (cmake -P), with Debian's osslsigncode:
#   FILE         the program, library or installer to sign
#   CERT, KEY    the code-signing certificate chain and its private key (PEM, or DER for KEY)
#   PASS_FILE    optional: a file holding the key's password
#   TIMESTAMP    optional: an RFC 3161 timestamp server's address, so that the signature
#                outlives the certificate
#   OSSLSIGNCODE the tool
# NSIS calls it through !finalize with FILE quoted, so a path with spaces is one argument. The
# signed copy replaces FILE only when signing succeeded: a half-signed file is never left.
foreach(name FILE CERT KEY OSSLSIGNCODE)
  if(NOT DEFINED ${name} OR "${${name}}" STREQUAL "")
    message(FATAL_ERROR "CodeSign: ${name} is not set")
  endif()
endforeach()
if(NOT EXISTS "${FILE}")
  message(FATAL_ERROR "CodeSign: ${FILE} does not exist")
endif()

set(arguments sign -h sha256 -n "Likenex" -certs "${CERT}" -key "${KEY}")
if(PASS_FILE)
  list(APPEND arguments -readpass "${PASS_FILE}")
endif()
if(TIMESTAMP)
  list(APPEND arguments -ts "${TIMESTAMP}")
endif()
set(signed "${FILE}.signing")
file(REMOVE "${signed}")
execute_process(COMMAND "${OSSLSIGNCODE}" ${arguments} -in "${FILE}" -out "${signed}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  file(REMOVE "${signed}")
  message(FATAL_ERROR "CodeSign: osslsigncode could not sign ${FILE}:\n${output}")
endif()
file(RENAME "${signed}" "${FILE}")
