package stereo;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static stereo.TestFrames.COLS;
import static stereo.TestFrames.HSV;
import static stereo.TestFrames.RGB;
import static stereo.TestFrames.ROWS;
import static stereo.TestFrames.SNAPSHOT;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Set;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;

/**
 * Many calls in one JVM: nothing the library or the simulated camera opens,
 * starts, writes or allocates may pile up, and every result stays right.
 *
 * <p>Run by ctest with a fixed, pre-touched heap, fixed JVM thread counts and
 * a temporary folder (TMPDIR and java.io.tmpdir) of its own.
 * brimlet.soak.calls sets the number of calls (default 10,000);
 * brimlet.soak.rss=false skips the resident memory check where a sanitizer or
 * valgrind owns the memory.
 */
class SoakTest {
    private static final int CALLS = Integer.getInteger("brimlet.soak.calls", 10_000);
    private static final boolean CHECK_RSS = Boolean.parseBoolean(System.getProperty("brimlet.soak.rss", "true"));

    /**
     * Allowed growth of resident memory after the warm-up. With the heap fixed
     * and pre-touched, what still moves is the JIT's code cache, metaspace and
     * malloc's arenas: a few MiB at most. The smallest per-call allocation of
     * the grab path is the 300 KB rectified frame; leaking even a 2 KB sliver
     * per call would add 20 MiB over 10,000 calls.
     */
    private static final long RSS_TOLERANCE_KB = 16 * 1024;

    private static final Path LOGGING = Path.of("logging");

    /** What the process holds at one moment. */
    record Sample(List<String> fds, long threads, long rssKb, Set<String> temporaryFiles, Set<String> workingFiles) {
        @Override
        public String toString() {
            return "fds " + fds.size() + ", threads " + threads + ", VmRSS " + rssKb + " kB, temporary files "
                    + temporaryFiles + ", working files " + workingFiles;
        }
    }

    /** What each open descriptor refers to, sorted; the listing's own descriptor included. */
    private static List<String> openFiles() throws IOException {
        List<String> targets = new ArrayList<>();
        try (Stream<Path> fds = Files.list(Path.of("/proc/self/fd"))) {
            for (Path fd : (Iterable<Path>) fds::iterator) {
                try {
                    targets.add(Files.readSymbolicLink(fd).toString());
                } catch (IOException closedMeanwhile) {
                    targets.add("?");
                }
            }
        }
        targets.sort(null);
        return targets;
    }

    private static long count(Path folder) throws IOException {
        try (Stream<Path> entries = Files.list(folder)) {
            return entries.count();
        }
    }

    private static long vmRssKb() throws IOException {
        for (String line : Files.readAllLines(Path.of("/proc/self/status"))) {
            if (line.startsWith("VmRSS:")) {
                return Long.parseLong(line.replaceAll("[^0-9]", ""));
            }
        }
        throw new IllegalStateException("no VmRSS in /proc/self/status");
    }

    private static Path temporaryFolder() {
        String tmpdir = System.getenv("TMPDIR");
        return Path.of(tmpdir != null && !tmpdir.isEmpty() ? tmpdir : "/tmp");
    }

    private static Sample sample() throws IOException {
        // Garbage arrays hold no native memory, but collecting them first keeps
        // the JVM's own bookkeeping out of the figures.
        System.gc();
        return new Sample(openFiles(), count(Path.of("/proc/self/task")), vmRssKb(),
                ChildRuns.tree(temporaryFolder()), ChildRuns.tree(Path.of(".")));
    }

    @Test
    void manyCallsLeaveNothingBehindAndStayCorrect() throws IOException {
        assertTrue(Path.of(System.getProperty("java.io.tmpdir")).toAbsolutePath().normalize()
                        .equals(temporaryFolder().toAbsolutePath().normalize()),
                "the runner gives TMPDIR and java.io.tmpdir the same folder of the test's own");
        Files.createDirectories(LOGGING);
        brimlet camera = new brimlet();
        int[] rgb = camera.cppGrabImage(new int[] {0, 0}, false, RGB);
        int[] hsv = camera.cppGrabImage(new int[] {0, 0}, false, HSV);
        assertEquals(3 * ROWS * COLS, rgb.length);

        assertTrue(CALLS > 0, "brimlet.soak.calls must be positive");
        int warmUp = Math.min(500, CALLS / 10);
        // Sampling once first lets the JDK make what its file APIs open on
        // first use (NIO keeps a socket for closing descriptors safely).
        sample();
        int wrong = 0;
        Sample afterWarmUp = null;
        long start = System.nanoTime();
        for (int call = 0; call < CALLS; call++) {
            if (call == warmUp) {
                afterWarmUp = sample();
            }
            // Modes alternate over RGB, the documented HSV mode and other HSV modes.
            int mode = switch (call % 4) {
                case 0, 2 -> RGB;
                case 1 -> HSV;
                default -> call;
            };
            int[] planes = camera.cppGrabImage(new int[] {0, 0}, true, mode);
            if (!Arrays.equals(mode == RGB ? rgb : hsv, planes)) {
                wrong++;
            }
        }
        double seconds = (System.nanoTime() - start) / 1e9;
        Sample atEnd = sample();
        System.out.printf("soak: %d calls in %.1f s (%.1f ms a call)%n  after %d warm-up calls: %s%n  at the end: %s%n",
                CALLS, seconds, 1000 * seconds / CALLS, warmUp, afterWarmUp, atEnd);

        assertEquals(0, wrong, "calls whose array differs from a lone call's for its mode");
        assertEquals(afterWarmUp.fds().size(), atEnd.fds().size(),
                "open file descriptors, after the warm-up " + afterWarmUp.fds() + ", at the end " + atEnd.fds());
        assertEquals(afterWarmUp.threads(), atEnd.threads(), "threads");
        assertEquals(afterWarmUp.temporaryFiles(), atEnd.temporaryFiles(), "files in the temporary folder");
        // The only file the simulated camera keeps is its one calibration file per camera kind.
        for (String name : atEnd.temporaryFiles()) {
            assertTrue(name.matches("simcam-\\d+-model\\d+-[23]\\.cal"), "unexpected temporary file " + name);
        }
        assertEquals(afterWarmUp.workingFiles(), atEnd.workingFiles(), "files in the working folder");
        List<String> expectedWorkingFiles = SNAPSHOT ? List.of("logging", "logging/pic0.ppm") : List.of("logging");
        assertEquals(expectedWorkingFiles, List.copyOf(atEnd.workingFiles()));
        if (SNAPSHOT) {
            TestFrames.Ppm last = TestFrames.readPpm(LOGGING.resolve("pic0.ppm"));
            assertEquals(COLS, last.width());
            assertEquals(ROWS, last.height());
        }
        if (CHECK_RSS) {
            long growth = atEnd.rssKb() - afterWarmUp.rssKb();
            assertTrue(growth <= RSS_TOLERANCE_KB, "VmRSS grew by " + growth + " kB over "
                    + (CALLS - warmUp) + " calls; at most " + RSS_TOLERANCE_KB + " kB allowed");
        }
    }
}
