# The commands of the README. Those that build install what they need
# first, so a fresh Debian machine (run as root) builds from a clean clone.

PACKAGES := cmake g++ pkg-config libpcre2-dev libsqlite3-dev libncurses-dev \
            libgtest-dev libgmock-dev libbenchmark-dev util-linux e2fsprogs \
            rename tmux groff-base man-db dpkg-dev attr acl
JOBS ?= 2
PREFIX ?= /usr/local
RELEASE := cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release && \
           cmake --build build/release -j$(JOBS) --target finderix finderix_plugin

.PHONY: deps test tsan run bench install uninstall deb

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	fi

test: deps
	cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DFINDERIX_SANITIZE=ON
	cmake --build build/test -j$(JOBS)
	cd build/test && ctest --output-on-failure -j$(JOBS)

# The threaded search under ThreadSanitizer: a build of its own, not part
# of test.
tsan: deps
	JOBS=$(JOBS) bash tests/tsan.sh

run: deps
	$(RELEASE)
	build/release/bin/finderix $(ARGS)

# PREFIX and DESTDIR as usual; the install removes an older one first.
install: deps
	$(RELEASE)
	DESTDIR="$(DESTDIR)" cmake --install build/release --prefix "$(PREFIX)"

uninstall:
	DESTDIR="$(DESTDIR)" cmake -DCMAKE_INSTALL_PREFIX="$(PREFIX)" -P dist/uninstall.cmake

deb: deps
	$(RELEASE)
	cd build/release && cpack -G DEB

bench: deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release
	cmake --build build/release -j$(JOBS) --target benchmarks finderix finderix_plugin
	for b in build/release/bench/*_bench; do $$b; done
	bench/tui_vs_cli.sh build/release/bin/finderix
