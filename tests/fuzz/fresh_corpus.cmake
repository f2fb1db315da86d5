# Copies a seed corpus to a run folder, replacing what an earlier run left,
# so the fuzzer's additions never land in the source tree.
file(REMOVE_RECURSE ${RUN_DIR})
file(MAKE_DIRECTORY ${RUN_DIR}/corpus)
file(GLOB seeds ${SEEDS}/*)
file(COPY ${seeds} DESTINATION ${RUN_DIR}/corpus)
