# The two commands a newcomer needs: `make run` and `make test`. Each installs
# what is missing first, then builds into build/.

BUILD_DIR    ?= build
ASAN_DIR     ?= build-asan
FUZZ_DIR     ?= build-fuzz
FUZZ_SECONDS ?= 60
PREFIX       ?= $(HOME)/.local

CMAKE_FLAGS  ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
SANITIZER_ENV = ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1 \
                UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: run test deps layers build build-asan format fuzz bench screenshots clean install-user \
        package

deps:
	@sh scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR)

build-asan: deps
	cmake -S . -B $(ASAN_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DTV_SANITIZE=ON
	cmake --build $(ASAN_DIR)

# Sets up a demo Palm Desktop with sample data when none is configured (an
# existing configuration or data file is never touched), then starts the
# desktop program on it.
run: build
	$(BUILD_DIR)/palmdesktop/tvpalmsetup $(BUILD_DIR)/notifier/libTvNotifier.so
	$(BUILD_DIR)/app/TvDesk

# Installs into PREFIX (the user's home by default, no root needed) and
# registers the installation for the user: the demo Palm Desktop is set up
# when none is configured, then TvRegister registers the notifier and the
# conduit with it and writes the install key and the shortcuts. TvUnInstall
# removes it all again.
install-user: build
	cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"
	$(BUILD_DIR)/palmdesktop/tvpalmsetup
	$(BUILD_DIR)/uninstall/TvRegister "$(PREFIX)/lib/tarvenly"

# The Debian package build/tarvenly-desktop_<version>_amd64.deb (cpack), then
# lintian's verdict on it: `sudo apt install ./build/tarvenly-desktop_*.deb`.
package: build
	cpack --config $(BUILD_DIR)/CPackConfig.cmake
	lintian --fail-on error $(BUILD_DIR)/tarvenly-desktop_*_amd64.deb

# The folders use one another in one direction only (see the README's layout),
# and every modal dialog runs through the dialog hold.
layers: deps
	python3 scripts/check-layers.py
	python3 scripts/check-dialogs.py

# The layering, every test, then every test again under AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails the run.
test: layers build build-asan
	ctest --test-dir $(BUILD_DIR) --output-on-failure
	$(SANITIZER_ENV) ctest --test-dir $(ASAN_DIR) --output-on-failure

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Runs the data-file fuzzer, then the import's delimited-text and workbook
# fuzzers, for FUZZ_SECONDS seconds each (clang, libFuzzer).
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DTV_FUZZ=ON -DTV_BUILD_TESTS=OFF
	cmake --build $(FUZZ_DIR) --target tvfuzz_datafile tvfuzz_delimited tvfuzz_workbook
	@mkdir -p $(FUZZ_DIR)/corpus $(FUZZ_DIR)/corpus-delimited $(FUZZ_DIR)/corpus-workbook
	$(FUZZ_DIR)/fuzz/tvfuzz_datafile -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -use_value_profile=1 -dict=fuzz/datafile.dict -artifact_prefix=$(FUZZ_DIR)/ \
	    $(FUZZ_DIR)/corpus fuzz/corpus
	$(FUZZ_DIR)/fuzz/tvfuzz_delimited -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -max_len=4096 -artifact_prefix=$(FUZZ_DIR)/delimited- \
	    $(FUZZ_DIR)/corpus-delimited fuzz/corpus-delimited
	# FreeXL leaks a converted text on some damaged workbooks: leaks are not
	# the workbook fuzzer's finding (memory errors are).
	ASAN_OPTIONS=detect_leaks=0 $(FUZZ_DIR)/fuzz/tvfuzz_workbook -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -max_len=16384 -rss_limit_mb=2048 -detect_leaks=0 -artifact_prefix=$(FUZZ_DIR)/workbook- \
	    $(FUZZ_DIR)/corpus-workbook fuzz/corpus-workbook

# Open and save speed and memory on a generated million-trip file, the trip
# and service lists' fills and sorts, the exports and tvtool stats against
# opening the same file, and a 20,000-row trip report rendered to PDF.
bench: build
	sh bench/open_save.sh $(BUILD_DIR)/cli/tvtool
	$(BUILD_DIR)/bench/tvbench_lists
	sh bench/export.sh $(BUILD_DIR)/cli/tvtool $(BUILD_DIR)/bench/tvbench_workbook
	sh bench/report_pdf.sh $(BUILD_DIR)/cli/tvtool
	sh bench/stats.sh $(BUILD_DIR)/cli/tvtool
	bash bench/startup.sh $(BUILD_DIR)/cli/tvtool $(BUILD_DIR)/bench/tvbench_stdonly
	bash bench/hotsync.sh $(BUILD_DIR)
	sh bench/import.sh $(BUILD_DIR)/cli/tvtool
	$(BUILD_DIR)/bench/tvbench_undo

# The main window once per log and every dialog it reaches, rendered offscreen
# on sample data into build/screenshots/.
screenshots: build
	$(BUILD_DIR)/tools/screenshots/tvscreenshots $(BUILD_DIR)/screenshots

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
